// Experiment run: Start, Hold, Abort, the receive handler and every reply.

#include "UCW.h"

#include "Chart.h"
#include "Freq.h"
#include "NumFormat.h"
#include "Operator.h"
#include "SerialLink.h"
#include "SoundPlayer.h"
#include "StatusBar.h"
#include "UMMarker.h"
#include "UOutMess.h"
#include "UService.h"
#include "UpDown.h"
#include "UsersAssist.h"
#include "Usr.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QToolButton>

namespace {
// Colours of the passes by age (0 = the pass being measured).
const std::array<QColor, 5> PassColors = {QColor(255, 255, 0), QColor(255, 0, 255), QColor(0, 0, 128),
                                          QColor(128, 128, 0), QColor(255, 0, 0)};
} // namespace

QColor PassColor(int age)
{
    return PassColors[size_t(age)];
}

void TFCW::StartToolBClick()
{
    const TSoundEvent& start = Settings.Sounds[0];
    if (start.Off)
        StopAlarm();
    else
        SoundPlayer().Play(start.FileName, TSoundMode::Sync);
    if (!DeviceConnected) {
        MessageDlg(QStringLiteral("Device not connected !"), TMsgType::Error, mbOK);
        return;
    }
    if (!ConfirmStoreName())
        return;
    Commands->StartSweep(StartSweepDigit());
    AccUpDown->Tag = 1;
    CompletedPasses = 0;
    AbortRequested = false;
}

// A name in "Store in file" that names an existing file is settled before the
// run, not when it ends: Yes replaces the file, No stores under the next free
// name, Cancel does not start. The question at the end stays for a file that
// appears or changes during the run.
bool TFCW::ConfirmStoreName()
{
    ConfirmedReplace = {};
    if (!SingleRB->isChecked() || FNameEdit->text().isEmpty())
        return true;
    const QString path = AutoSavePath(DAcqSaveDialog->InitialDir, FNameEdit->text());
    const QFileInfo existing(path);
    if (!existing.exists())
        return true;
    const QString freeName = NextFreeName(DAcqSaveDialog->InitialDir, FNameEdit->text());
    const QString freeFile = QFileInfo(AutoSavePath(DAcqSaveDialog->InitialDir, freeName)).fileName();
    const int answer = MessageDlg(
        QStringLiteral("\"%1\" exists. Replace it when the run ends?").arg(existing.fileName()), TMsgType::Warning,
        mbYes | mbNo | mbCancel,
        QStringLiteral("Yes: the run replaces %1.\nNo: the run is stored as \"%2\".\nCancel: the run does not start.")
            .arg(QDir::toNativeSeparators(existing.absoluteFilePath()), freeFile));
    if (answer == mbYes) {
        ConfirmedReplace = {path, existing.lastModified(), existing.size()};
        return true;
    }
    if (answer == mbNo) {
        FNameEdit->setText(freeName);
        return true;
    }
    return false;
}

void TFCW::HoldToolBClick()
{
    // The button follows the instrument's H reply, not the click.
    HoldToolB->setChecked(HoldActive);
    Commands->SetHold(HoldActive ? 0 : 1);
}

void TFCW::AbortToolBClick()
{
    AbortRequested = true;
    Commands->AbortExperiment();
}

void TFCW::SetHoldState(bool flag)
{
    HoldActive = flag;
    HoldToolB->setChecked(flag);
    HoldToolB->setText(flag ? QStringLiteral("Continue") : QStringLiteral("Hold"));
    HoldToolB->setAccessibleName(HoldToolB->text());
    if (flag)
        SetStatusText(*StatusBar, 2, QStringLiteral("Experiment on Hold"));
    else if (ExpState == esRunning)
        SetStatusText(*StatusBar, 2, QStringLiteral("Experiment in progress - please wait"));
    else
        SetStatusText(*StatusBar, 2, QString());
    for (int i = 0; i <= 6; ++i)
        HoldControls[size_t(i)]->setEnabled(flag);
    const int first = FieldSweep() ? 8 : 14;
    for (int i = first; i < first + 7; ++i)
        HoldControls[size_t(i)]->setEnabled(flag);
}

void TFCW::ComPort1RxFlag()
{
    RxLine.ReadFrom(ComPort1, [this](const QByteArray& line, bool overflowed) {
        if (Partners.Service && Partners.Service->isVisible())
            Partners.Service->AppendLine(line);
        if (overflowed) {
            ReportBadLine(line, QStringLiteral("line too long; its end was dropped"));
            return;
        }
        if (Partners.Service && Partners.Service->NotAnalysing())
            return;
        if (!DeviceConnected && !line.startsWith('X') && !line.startsWith('Z'))
            return;
        const TParsedReply parsed = ParseReply(line);
        if (const auto* bad = std::get_if<TMalformedReply>(&parsed))
            ReportBadLine(line, bad->Reason);
        else if (const auto* reply = std::get_if<TReply>(&parsed))
            HandleReply(*reply);
    });
}

// A line that cannot be read is dropped and named in the status line; a modal
// box per line would stop the acquisition.
void TFCW::ReportBadLine(const QByteArray& line, const QString& reason)
{
    SetStatusText(*StatusBar, 2, QStringLiteral("reply %1 dropped: %2").arg(PrintableLine(line), reason));
}

void TFCW::HandleReply(const TReply& r)
{
    switch (r.Letter) {
    case 'A':
        ReplyPassSetup(r);
        break;
    case 'B':
        SetStatusText(*StatusBar, 2, QStringLiteral("Experiment in progress - please wait"));
        ExpState = esRunning;
        HoldToolB->setEnabled(true);
        break;
    case 'C':
        ReplyPassComplete();
        break;
    case 'D':
        ReplyReady();
        break;
    case 'E':
        StatusBar->SetPanelText(4, QStringLiteral("Error: ") + r.ErrorCode);
        break;
    case 'F':
        SetStatusText(*StatusBar, 2, QStringLiteral("Experiment aborted - please wait"));
        ExpState = esAborting;
        HoldToolB->setEnabled(false);
        break;
    case 'H':
        SetHoldState(r.OnHold);
        break;
    case 'M':
        SetFieldSource(r.FieldSource);
        break;
    case 'V':
        ReplyValue(r);
        break;
    case 'X':
        ReplyCalibration(r);
        break;
    case 'Z':
        ReplyIdentification(r);
        break;
    default:
        break;
    }
}

void TFCW::ReplyPassSetup(const TReply& r)
{
    if (!FitsRun(r.Points))
        return;
    if (AccUpDown->Tag == 1) {
        if (r.Points < 2) {
            // A pass of fewer than two points has no step between its points.
            SetStatusText(*StatusBar, 2, QStringLiteral("pass of %1 points refused").arg(r.Points));
            return;
        }
        // Entries a first pass does not deliver stay zero.
        AccBuffer.assign(size_t(r.Points), 0);
        const TChartAxis& x = Fid->BottomAxis();
        PointStep = (x.Maximum() - x.Minimum()) / (r.Points - 1);
        OutOfRangeLab->hide();
        OutOfRangeCount = 0;
        SeriesAcc->Clear();
        SavedDataAvailable = false;
        SpectrumUnsaved = false;
        BeginRunPasses();
    }
    NoteRunPass();
    PointCount = 0;
    ExpState = esSettingUp;
    CurrPass = (CurrPass + 1) % 5;
    for (int age = 1; age <= 4; ++age) {
        TChartSeries* s = Series[size_t((CurrPass + 5 - age) % 5)];
        if (s->Count() > 0)
            s->SetAllColors(PassColors[size_t(age)]);
    }
    Series[size_t(CurrPass)]->Clear();
    Series[size_t(CurrPass)]->Reserve(int(AccBuffer.size()));
    ApplyPassDisplay();

    XYST->hide();
    DBST->hide();
    EnableParameterBoxes(false);
    MSaveas->setEnabled(false);
    DHToolB->setEnabled(false);
    VertMTB->setEnabled(false);
    HorizMTB->setEnabled(false);
    Marker1.Done();

    SetAccStatus();
    SetStatusText(*StatusBar, 1, QString());
    SetStatusText(*StatusBar, 2, QStringLiteral("Setting an experiment - please wait"));
    SetStatusText(*StatusBar, 4, QString());
}

void TFCW::ReplyPassComplete()
{
    SetStatusText(*StatusBar, 2, QStringLiteral("End of experiment - please wait"));
    ExpState = esPassEnded;
    HoldToolB->setEnabled(false);
    SeriesAcc->Clear();
    SeriesAcc->Reserve(int(AccBuffer.size()));
    const double xMin = Fid->BottomAxis().Minimum();
    const double passes = AccUpDown->Tag;
    for (size_t i = 0; i < AccBuffer.size(); ++i)
        SeriesAcc->AddXY(xMin + double(i) * PointStep, AccBuffer[i] / passes, Qt::white);
    KeepPass();
    CompletedSum = AccBuffer;
    CompletedPasses = AccUpDown->Tag;
}

void TFCW::ReplyReady()
{
    SetHoldState(false);
    if (ExpState == esPassEnded) {
        const TSoundEvent& end = Settings.Sounds[1];
        if (!end.Off)
            SoundPlayer().Play(end.FileName, TSoundMode::Sync);
        if (AbortRequested) {
            // Abort came as the pass ended: whatever the instrument says, no new pass.
            EndAbortedRun();
        } else if (LoopRB->isChecked()) {
            Commands->StartSweep(StartSweepDigit());
        } else if (AccUpDown->Position() > AccUpDown->Tag) {
            AccUpDown->Tag = AccUpDown->Tag + 1;
            Commands->StartSweep(StartSweepDigit());
        } else {
            const TSoundEvent& done = Settings.Sounds[2];
            if (!done.Off) {
                const bool once = done.Single != 0;
                SoundPlayer().Play(done.FileName, once ? TSoundMode::Async : TSoundMode::Loop);
                AlarmLooping = !once;
            }
            SetStatusText(*StatusBar, 2, QStringLiteral("end of experiment - ready"));
            ExpState = esFinished;
            SavedDataAvailable = true;
            SpectrumUnsaved = true;
            SnapshotRunHeader();
            AutoSave();
            EndRunPasses();
            MSaveas->setEnabled(SavedDataAvailable);
            EnableParameterBoxes(true);
            VertMTB->setEnabled(true);
            HorizMTB->setEnabled(true);
            SetupMarker();
            XYST->show();
            DHToolB->setEnabled(true);
        }
    } else if (ExpState == esAborting) {
        EndAbortedRun();
    }
    SetAccStatus();
}

void TFCW::EndAbortedRun()
{
    SetStatusText(*StatusBar, 2, QStringLiteral("Experiment aborted - ready"));
    StartToolB->setEnabled(true);
    EnableParameterBoxes(true);
    ExpState = esAborted;
}

void TFCW::ReplyValue(const TReply& r)
{
    if (r.OutOfRange) {
        OutOfRangeLab->show();
        ++OutOfRangeCount;
        OutOfRangeLab->setText(Format(QStringLiteral(" Out of range: %d "), {OutOfRangeCount}));
        OutOfRangeLab->adjustSize();
    }
    const int32_t value = r.Raw / DataDivisor - LevelTB->value();
    TChartSeries* s = Series[size_t(CurrPass)];
    if (HoldActive && PointCount > 0) {
        // On hold the point at the held position follows the live signal.
        s->SetYValue(PointCount - 1, value);
        return;
    }
    if (PointCount >= int(AccBuffer.size()))
        return;  // more values than the pass announced
    const auto i = size_t(PointCount);
    AccBuffer[i] = AccUpDown->Tag < 2 ? value : int32_t(uint32_t(AccBuffer[i]) + uint32_t(value));
    s->AddXY(Fid->BottomAxis().Minimum() + PointCount * PointStep, value, PassColors[0]);
    ++PointCount;
}

void TFCW::ReplyCalibration(const TReply& r)
{
    ZeroOffset[0] = r.Z1 - 2047;
    ZeroOffset[1] = r.Z1 - 2047;
    ZeroOffset[3] = r.Z2 - 2047;
    SetConnected(true);
}

void TFCW::ReplyIdentification(const TReply& r)
{
    UnitSerial = r.Serial;
    DevicePrgVersion = r.Version;
    if (Partners.UsersAssist)
        Partners.UsersAssist->DevicePrgVerLab->setText(QStringLiteral("device internal control program v.") +
                                                       DevicePrgVersion);
    if (DevicePrgVersion == QLatin1String("2.0")) {
        ModAmpUpDown->SetMax(12);
        MCurrentdirection->menuAction()->setEnabled(true);
        DataDivisor = 76000;
    } else {
        MCurrentdirection->menuAction()->setEnabled(false);
        DataDivisor = 13500;
    }
}
