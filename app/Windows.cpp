#include "Windows.h"

#include "AudioDlgB.h"
#include "DirDlgB.h"
#include "DlgBox1.h"
#include "Accessibility.h"
#include "Errors.h"
#include "Operator.h"
#include "SpectrumFiles.h"
#include "UDataProc.h"
#include "UService.h"
#include "UpDown.h"
#include "UsersAssist.h"
#include "Usr.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>

namespace {

// A spectrum file dropped on the main window opens in the processing window.
class TSpectrumDrop : public QObject {
public:
    TSpectrumDrop(TMerilWindows& windows) : QObject(windows.FCW.get()), FWindows(windows) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::DragEnter) {
            auto* e = static_cast<QDragEnterEvent*>(event);
            if (!DroppedSpectrum(e->mimeData()).isEmpty())
                e->acceptProposedAction();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto* e = static_cast<QDropEvent*>(event);
            const QString path = DroppedSpectrum(e->mimeData());
            if (!path.isEmpty()) {
                e->acceptProposedAction();
                RunGuarded([&] { OpenInProcessing(FWindows, path); });
            }
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TMerilWindows& FWindows;
};

} // namespace

TMerilWindows::~TMerilWindows() = default;

void OpenInProcessing(TMerilWindows& windows, const QString& spectrumPath)
{
    windows.FCW->ShowDataProc();
    windows.FDataProc->LoadSpectrum(QFileInfo(spectrumPath).absoluteFilePath());
}

void OpenArguments(TMerilWindows& windows, const QStringList& arguments)
{
    for (const QString& arg : arguments) {
        if (arg.endsWith(QLatin1String(".passes")) || QFileInfo(arg).isDir()) {
            windows.FCW->OpenPassFolder(arg);
            return;
        }
        if (HasSpectrumExtension(arg) || QFileInfo(arg).isFile()) {
            OpenInProcessing(windows, arg);
            return;
        }
        MessageDlg(QStringLiteral("\"%1\" is neither a spectrum file nor a passes folder (.passes).")
                       .arg(QDir::toNativeSeparators(arg)),
                   TMsgType::Error, mbOK);
    }
}

std::unique_ptr<TMerilWindows> CreateWindows(TFCWOptions options)
{
    InstallAccessibility();
    auto w = std::make_unique<TMerilWindows>();
    w->FCW = std::make_unique<TFCW>(std::move(options));
    w->MDialogBox = std::make_unique<TMDialogBox>();
    w->MDirectories = std::make_unique<TMDirectories>();
    w->FDataProc = std::make_unique<TFDataProc>(ScreenScale);
    w->FDataProc->OnSetupAcq = [fcw = w->FCW.get()] {
        if (fcw->isMinimized())
            fcw->showNormal();
        fcw->raise();
        fcw->activateWindow();
    };
    w->FDataProc->MainWindowFrame = [fcw = w->FCW.get()] { return fcw->frameGeometry(); };
    // The main window takes up the passes and comes to the front.
    w->FDataProc->OnOpenPassFolder = [fcw = w->FCW.get(), proc = w->FDataProc.get()](const QString& folder) {
        if (fcw->OpenPassFolder(folder))
            proc->OnSetupAcq();
    };
    TSpectrometer& spectrometer = w->FCW->Spectrometer();
    w->FService = std::make_unique<TFService>(spectrometer.Commands(), spectrometer.Link(),
                                              [fcw = w->FCW.get()](int limit) {
                                                  fcw->Spectrometer().Setup().SetFrequencyLimit(limit);
                                                  fcw->FrequencyUpDown->SetRange(-limit, limit);
                                              });
    w->MAudioDlgBox = std::make_unique<TMAudioDlgBox>();
    w->MUsersAssist = std::make_unique<TMUsersAssist>(spectrometer.Connected());
    w->FCW->AttachPartners({w->MDialogBox.get(), w->MDirectories.get(), w->FDataProc.get(), w->FService.get(),
                            w->MAudioDlgBox.get(), w->MUsersAssist.get()});
    w->FCW->FinishStartup();
    w->FCW->setAcceptDrops(true);
    w->FCW->installEventFilter(new TSpectrumDrop(*w));
    return w;
}
