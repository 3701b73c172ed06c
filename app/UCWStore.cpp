// Storing acquired spectra (AutoSave, "Save data as ...", File Location) and
// setup files (open, save, save as).

#include "UCW.h"

#include "DirDlgB.h"
#include "ElidedLabel.h"
#include "Operator.h"
#include "StatusBar.h"
#include "UDataProc.h"
#include "UOutMess.h"
#include "UpDown.h"
#include "ValueBox.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>

// The file holds the run's data with the header of what the instrument got.
bool TFCW::WriteSpectrum(const QString& path)
{
    FRun.SetComment(CommentEdit->text());
    const TDataHeader header = FRun.Header();
    try {
        WriteSpectrumFile(path, header, FRun.Sums());
    } catch (const EPathNotFound& e) {
        MessageDlg(e.Text(), TMsgType::Error, mbOK,
                   QStringLiteral("Cannot write %1: its folder does not exist. Choose the folder under "
                                  "Tools > File Location.")
                       .arg(QDir::toNativeSeparators(path)));
        return false;
    } catch (const EMerilError& e) {
        MessageDlg(e.Text(), TMsgType::Error, mbOK);
        return false;
    }
    SetStatusText(*StatusBar, 1, QFileInfo(path).fileName());
    LastStoredPath = QFileInfo(path).absoluteFilePath();
    // New data, not a copy of data stored already, are what Data Processing shows next.
    if (FRun.Unsaved() || TakenUpNotShown)
        NewSpectrumToShow = LastStoredPath;
    TakenUpNotShown = false;
    ActivityLab->SetText(QStringLiteral("Spectrum stored in %1 (%2 points, Acc %3)")
                             .arg(QDir::toNativeSeparators(LastStoredPath))
                             .arg(FRun.Sums().size())
                             .arg(header.Acc.trimmed()));
    FRun.Stored(path);
    return true;
}

bool TFCW::MayOverwrite(const QString& path)
{
    return !QFileInfo::exists(path) ||
           MessageDlg(QLatin1Char('"') + QFileInfo(path).fileName() + QStringLiteral("\" file exists. Overwrite ?"),
                      TMsgType::Warning, mbYes | mbNo) != mbNo;
}

void TFCW::AutoSave()
{
    if (FNameEdit->text().isEmpty())
        return;
    const QString path = AutoSavePath(DAcqSaveDialog->InitialDir, FNameEdit->text());
    FNameEdit->clear();
    StoreRun(path);
}

void TFCW::StoreRun(const QString& path)
{
    const QFileInfo now(path);
    const bool agreedAtStart = path == ConfirmedReplace.Path && now.exists() &&
                               now.lastModified() == ConfirmedReplace.Modified && now.size() == ConfirmedReplace.Size;
    ConfirmedReplace = {};
    if (!agreedAtStart && !MayOverwrite(path))
        return;
    if (!WriteSpectrum(path))
        StoreElsewhere(path);
}

void TFCW::StoreElsewhere(const QString& failed)
{
    // A dialog of its own: the acquisition directory stays what it is.
    TFileDialog elsewhere = *DAcqSaveDialog;
    elsewhere.Title = QStringLiteral("The spectrum could not be stored: choose another place");
    elsewhere.InitialDir = QFileInfo::exists(FUserDir) ? FUserDir : QDir::homePath();
    elsewhere.FileName = QFileInfo(failed).fileName();
    while (FRun.Unsaved() && elsewhere.Execute(this))
        if (MayOverwrite(elsewhere.FileName))
            WriteSpectrum(elsewhere.FileName);
    if (FRun.Unsaved())
        ActivityLab->SetText(QStringLiteral("The spectrum is stored nowhere yet: File > Save data as ... stores it"));
}

void TFCW::MSaveasClick()
{
    if (!FRun.DataAvailable())
        return;
    // The dialog does not ask about an existing file: a stored spectrum is not replaced unasked.
    if (DAcqSaveDialog->Execute(this) && MayOverwrite(DAcqSaveDialog->FileName))
        WriteSpectrum(DAcqSaveDialog->FileName);
}

void TFCW::MFileLocationClick()
{
    TMDirectories* d = Partners.Directories;
    if (!d)
        return;
    d->SetupDirEdit->setText(SetupOpenDialog->InitialDir);
    d->AcqDirEdit->setText(DAcqSaveDialog->InitialDir);
    d->DOutDirEdit->setText(Partners.DataProc ? Partners.DataProc->DataOutDir() : FSettings.DataOutDir);
    if (ExecModalFrom(*this, *d) != QDialog::Accepted)
        return;
    SetupOpenDialog->InitialDir = SetupSaveDialog->InitialDir = d->SetupDirEdit->text();
    DAcqSaveDialog->InitialDir = d->AcqDirEdit->text();
    FSettings.SetupDir = SetupOpenDialog->InitialDir;
    FSettings.AcqDir = DAcqSaveDialog->InitialDir;
    FSettings.DataOutDir = d->DOutDirEdit->text();
    for (TFileDialog* dialog : {SetupOpenDialog.get(), SetupSaveDialog.get(), DAcqSaveDialog.get()})
        dialog->FileName.clear();
    if (Partners.DataProc)
        Partners.DataProc->SetDirectories(FSettings.AcqDir, FSettings.DataOutDir);
}

void TFCW::SetCurrentSetup(const QString& path)
{
    CurrentSetupPath = path;
    CurrentSetupName = QFileInfo(path).fileName();
    MSavesetup->setEnabled(!IsStandardSetup(path));
}

void TFCW::LoadSetup(const QString& path, bool operatorChose)
{
    SetupRecord r = FSetup.Stored();
    const TSetupLoadResult result = LoadSetupFile(path, r);
    if (result == TSetupLoadResult::TooShort && operatorChose)
        MessageDlg(SetupTooShortText(path), TMsgType::Error, mbOK);
    if (result == TSetupLoadResult::Loaded) {
        FSetup.SetStored(r);
        SetCurrentSetup(path);
    }
}

void TFCW::SaveSetup(const QString& path)
{
    FSetup.SwitchMode(FSetup.Mode());
    FSetup.SetStored(FSetup.Record());
    ShowSetup();
    const SetupRecord& r = FSetup.Stored();
    QString error;
    if (!SaveSetupFile(path, r, &error)) {
        // The setup in use keeps its name when the new file could not be written.
        MessageDlg(QStringLiteral("The setup could not be written to \"%1\": %2")
                       .arg(QDir::toNativeSeparators(path), error),
                   TMsgType::Error, mbOK);
        return;
    }
    SetCurrentSetup(path);
}

void TFCW::MOpensetupClick()
{
    if (!SetupOpenDialog->Execute(this))
        return;
    LoadSetup(SetupOpenDialog->FileName, true);
    UpdateCaption();
    ApplySetup();
}

void TFCW::MSavesetupClick()
{
    SaveSetup(CurrentSetupPath);
    UpdateCaption();
}

void TFCW::MSavesetupasClick()
{
    if (!SetupSaveDialog->Execute(this))
        return;
    if (IsStandardSetup(SetupSaveDialog->FileName)) {
        MessageDlg(QStringLiteral("STANDARD.CFG can not be changed !"), TMsgType::Error, mbOK);
        return;
    }
    SaveSetup(SetupSaveDialog->FileName);
    UpdateCaption();
}
