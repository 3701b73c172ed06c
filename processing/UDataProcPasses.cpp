// The kept passes of the spectrum shown: their review, and a passes folder
// handed to the main window to take up.

#include "UDataProc.h"

#include "MenuOf.h"
#include "Operator.h"
#include "PassReview.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

void TFDataProc::CreatePassCommands()
{
    QMenu* file = MenuOf(MOpen);
    MPasses = new QAction(QStringLiteral("Passes..."), this);
    MOpenPasses = new QAction(QStringLiteral("Open passes folder..."), this);
    file->insertAction(MExportAscii, MPasses);
    file->insertAction(MExportAscii, MOpenPasses);
    MPasses->setEnabled(false);
    connect(file, &QMenu::aboutToShow, this, [this] { MPasses->setEnabled(!PassFolder().isEmpty()); });
    connect(MPasses, &QAction::triggered, this, Guarded(this, &TFDataProc::MPassesClick));
    connect(MOpenPasses, &QAction::triggered, this, Guarded(this, &TFDataProc::MOpenPassesClick));
}

QString TFDataProc::PassFolder() const
{
    if (!FLoaded)
        return QString();
    const QString folder = PassFolderOf(DAcqOpenDialog.FileName);
    return IsPassFolder(folder) ? folder : QString();
}

void TFDataProc::MPassesClick()
{
    const QString folder = PassFolder();
    if (folder.isEmpty())
        return;
    TPassReview review(ReadPassFolder(folder), this);
    review.Comment = FSpectrum.Header.Comment;
    Operator().ExecModal(review);
}

void TFDataProc::MOpenPassesClick()
{
    const auto folder = Operator().SelectDirectory(DAcqOpenDialog.InitialDir, this);
    if (!folder)
        return;
    if (!IsPassFolder(*folder)) {
        MessageDlg(QStringLiteral("\"%1\" is not a passes folder (run1.passes).").arg(QDir::toNativeSeparators(*folder)),
                   TMsgType::Error, mbOK);
        return;
    }
    if (OnOpenPassFolder)
        OnOpenPassFolder(*folder);
}
