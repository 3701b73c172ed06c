#include "Windows.h"

#include "AudioDlgB.h"
#include "DirDlgB.h"
#include "DlgBox1.h"
#include "UDataProc.h"
#include "UService.h"
#include "UpDown.h"
#include "UsersAssist.h"
#include "Usr.h"

TMerilWindows::~TMerilWindows() = default;

std::unique_ptr<TMerilWindows> CreateWindows(TFCWOptions options)
{
    auto w = std::make_unique<TMerilWindows>();
    w->FCW = std::make_unique<TFCW>(std::move(options));
    w->MDialogBox = std::make_unique<TMDialogBox>();
    w->MDirectories = std::make_unique<TMDirectories>();
    w->FDataProc = std::make_unique<TFDataProc>();
    w->FService = std::make_unique<TFService>(*w->FCW->Commands, w->FCW->ComPort1, w->FCW->FrequencyUpDown);
    w->MAudioDlgBox = std::make_unique<TMAudioDlgBox>();
    w->MUsersAssist = std::make_unique<TMUsersAssist>(w->FCW->DeviceConnected);
    w->FCW->AttachPartners({w->MDialogBox.get(), w->MDirectories.get(), w->FDataProc.get(), w->FService.get(),
                            w->MAudioDlgBox.get(), w->MUsersAssist.get()});
    w->FCW->FinishStartup();
    return w;
}
