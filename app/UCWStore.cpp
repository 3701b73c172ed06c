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

TDataHeader TFCW::CurrentHeader() const
{
    TDataHeader h;
    h.Frequency = FrequencyVal->text();
    h.B0 = TuningB0Val->text();
    h.ModAmp = ModAmpVal->text();
    h.SweepTime = SweepTVal->text();
    h.Gain = GainVal->text();
    h.Phase = PhaseVal->text();
    h.Acc = AccVal->text();
    h.Resonance = ModeButtons[size_t(ModeIndex)]->text();
    h.SweepTp = FieldSweep() ? 1 : 0;
    h.SweepR = SweepRangeValue();
    return h;
}

// The settings captions are taken when the run finishes, so that the file
// describes the data even when the operator changes a parameter before saving.
void TFCW::SnapshotRunHeader()
{
    RunHeader = CurrentHeader();
}

bool TFCW::WriteSpectrum(const QString& path)
{
    RunHeader.Comment = CommentEdit->text();
    try {
        WriteSpectrumFile(path, RunHeader, AccBuffer);
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
    ActivityLab->SetText(QStringLiteral("Spectrum stored in %1 (%2 points, Acc %3)")
                             .arg(QDir::toNativeSeparators(LastStoredPath))
                             .arg(AccBuffer.size())
                             .arg(RunHeader.Acc.trimmed()));
    SpectrumUnsaved = false;
    MovePassesWith(path);
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
    const QFileInfo now(path);
    const bool agreedAtStart = path == ConfirmedReplace.Path && now.exists() &&
                               now.lastModified() == ConfirmedReplace.Modified && now.size() == ConfirmedReplace.Size;
    ConfirmedReplace = {};
    if (agreedAtStart || MayOverwrite(path))
        WriteSpectrum(path);
}

// A run cut off by a lost link keeps the passes it completed: their sum can
// still be stored, with Acc the number of those passes. A partial pass is not
// part of it.
void TFCW::KeepCompletedPasses()
{
    if (CompletedPasses == 0)
        return;
    AccBuffer = CompletedSum;
    SnapshotRunHeader();
    RunHeader.Acc = QString::number(CompletedPasses);
    SavedDataAvailable = true;
    SpectrumUnsaved = true;
    MSaveas->setEnabled(true);
}

void TFCW::MSaveasClick()
{
    if (!SavedDataAvailable)
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
    d->DOutDirEdit->setText(Partners.DataProc ? Partners.DataProc->DataOutDir() : Settings.DataOutDir);
    if (Operator().ExecModal(*d) != QDialog::Accepted)
        return;
    SetupOpenDialog->InitialDir = SetupSaveDialog->InitialDir = d->SetupDirEdit->text();
    DAcqSaveDialog->InitialDir = d->AcqDirEdit->text();
    Settings.SetupDir = SetupOpenDialog->InitialDir;
    Settings.AcqDir = DAcqSaveDialog->InitialDir;
    Settings.DataOutDir = d->DOutDirEdit->text();
    for (TFileDialog* dialog : {SetupOpenDialog.get(), SetupSaveDialog.get(), DAcqSaveDialog.get()})
        dialog->FileName.clear();
    if (Partners.DataProc)
        Partners.DataProc->SetDirectories(Settings.AcqDir, Settings.DataOutDir);
}

void TFCW::SetCurrentSetup(const QString& path)
{
    CurrentSetupPath = path;
    CurrentSetupName = QFileInfo(path).fileName();
    MSavesetup->setEnabled(!IsStandardSetup(path));
}

void TFCW::LoadSetup(const QString& path, bool operatorChose)
{
    const TSetupLoadResult result = LoadSetupFile(path, Setup);
    if (result == TSetupLoadResult::TooShort && operatorChose)
        MessageDlg(SetupTooShortText(path), TMsgType::Error, mbOK);
    if (result == TSetupLoadResult::Loaded)
        SetCurrentSetup(path);
}

SetupRecord TFCW::CurrentSetupRecord() const
{
    SetupRecord r = Setup;
    r.Level = LevelTB->value();
    r.Gain = GainScrollBar->value();
    r.Phase = PhasePos;
    r.Acc = AccUpDown->Position();
    r.ModAmp = ModAmpUpDown->Position();
    r.FieldSweep = FieldSwRngRB->isChecked() ? 1 : 0;
    r.FieldSwRng = FieldSwRngPos;
    r.FreqSwRng = FreqSwRngUpDown->Position();
    r.SweepT = SweepTUpDown->Position();
    r.TuningB0 = TuningB0Pos;
    r.DB0 = DB0UpDown->Position();
    r.Frequency = FrequencyPos;
    r.DFrq = DFrqUpDown->Position();
    r.Mode = uint8_t(ModeIndex);
    // The positions of the mode in use are on the controls.
    const auto m = size_t(ModeIndex);
    r.TuningB0[m] = TuningB0UpDown->Position();
    r.Frequency[m] = FrequencyUpDown->Position();
    r.Phase[m] = PhaseScrollBar->value();
    r.FieldSwRng[m] = FieldSwRngUpDown->Position();
    return r;
}

void TFCW::SaveSetup(const QString& path)
{
    SwitchMode(ModeIndex);
    Setup = CurrentSetupRecord();
    const SetupRecord& r = Setup;
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
