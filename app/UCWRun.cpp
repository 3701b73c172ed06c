// The run as the window shows it: Start, Hold and Abort go to the run; what
// the run reports (passes, points, states, its end) is drawn and told here.

#include "UCW.h"

#include "Chart.h"
#include "ElidedLabel.h"
#include "KnownStopPanel.h"
#include "LiveFit.h"
#include "RunProgress.h"
#include "UTextTbl.h"
#include "NumFormat.h"
#include "Operator.h"
#include "SoundPlayer.h"
#include "StatusBar.h"
#include "UMMarker.h"
#include "UOutMess.h"
#include "UpDown.h"
#include "Usr.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>

namespace {
// Colours of the passes by age (0 = the pass being measured).
const std::array<QColor, 5> PassColors = {QColor(255, 255, 0), QColor(255, 0, 255), QColor(0, 0, 128),
                                          QColor(128, 128, 0), QColor(255, 0, 0)};
constexpr int ProgressIntervalMs = 250;
// How long a note on a typed value stands in for the run's progress.
constexpr int NoteOverProgressMs = 5000;
} // namespace

QColor PassColor(int age)
{
    return PassColors[size_t(age)];
}

void TFCW::StartToolBClick()
{
    const TSoundEvent& start = FSettings.Sounds[0];
    if (start.Off)
        StopAlarm();
    else
        SoundPlayer().Play(start.FileName, TSoundMode::Sync);
    if (!FSpectrometer->Connected()) {
        MessageDlg(QStringLiteral("Device not connected !"), TMsgType::Error, mbOK);
        return;
    }
    if (FSpectrometer->Connecting()) {
        // The sweep would go out among the setup the instrument is being sent.
        MessageDlg(QStringLiteral("The connection is not made yet: press Start once the field source is shown."),
                   TMsgType::Warning, mbOK);
        return;
    }
    if (const std::optional<TKnownTarget> target = KnownPanel->Target(); target && SingleRB->isChecked()) {
        const QString problem = KnownTargetProblem(*target, FSetup.Mode() == EsrMode);
        if (!problem.isEmpty()) {
            MessageDlg(problem, TMsgType::Error, mbOK);
            return;
        }
    }
    if (!ConfirmStoreName())
        return;
    FRun.Start(RunOptions());
    UpdateAbort();
}

void TFCW::UpdateAbort()
{
    AbortToolB->setEnabled(FSpectrometer->Connected() && FRun.InProgress());
}

TRunOptions TFCW::RunOptions() const
{
    TRunOptions options;
    options.Loop = LoopRB->isChecked();
    if (!options.Loop && MKeepPasses->isChecked())
        options.PassFolder = PassFolderForRun();
    if (!options.Loop)
        options.StopWhenKnown = KnownPanel->Target();
    return options;
}

// A named run writes its passes beside its spectrum unless something of that
// name is there already; otherwise into a folder named for the time.
QString TFCW::PassFolderForRun() const
{
    const QString acqDir = DAcqSaveDialog->InitialDir;
    if (!FNameEdit->text().isEmpty()) {
        const QString spectrum = AutoSavePath(acqDir, FNameEdit->text());
        const QString folder = PassFolderOf(spectrum);
        if (!QFileInfo::exists(spectrum) && !QFileInfo::exists(folder) && QFileInfo(spectrum).absoluteDir().exists())
            return folder;
    }
    const QString stamp = UnsavedPrefix() + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString folder = PassFolderOf(AutoSavePath(acqDir, stamp));
    for (int i = 2; QFileInfo::exists(folder); ++i)
        folder = PassFolderOf(AutoSavePath(acqDir, stamp + QStringLiteral("-%1").arg(i)));
    return folder;
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
    const std::optional<QString> storeIn = AskReplaceAtEnd(path, QStringLiteral("the run does not start"));
    if (!storeIn)
        return false;
    if (*storeIn != path)
        FNameEdit->setText(NextFreeName(DAcqSaveDialog->InitialDir, FNameEdit->text()));
    return true;
}

std::optional<QString> TFCW::AskReplaceAtEnd(const QString& path, const QString& cancelled)
{
    ConfirmedReplace = {};
    const QFileInfo existing(path);
    if (!existing.exists())
        return path;
    const QString dir = existing.absolutePath();
    const QString free = AutoSavePath(dir, NextFreeName(dir, existing.fileName()));
    const int answer = MessageDlg(
        QStringLiteral("\"%1\" exists. Replace it when the run ends?").arg(existing.fileName()), TMsgType::Warning,
        mbYes | mbNo | mbCancel,
        QStringLiteral("Yes: the run replaces %1.\nNo: the run is stored as \"%2\".\nCancel: %3.")
            .arg(QDir::toNativeSeparators(existing.absoluteFilePath()), QFileInfo(free).fileName(), cancelled));
    if (answer == mbYes) {
        ConfirmedReplace = {path, existing.lastModified(), existing.size()};
        return path;
    }
    if (answer == mbNo)
        return free;
    return std::nullopt;
}

void TFCW::HoldToolBClick()
{
    // The button follows the instrument's H reply, not the click.
    HoldToolB->setChecked(FRun.OnHold());
    FRun.Hold();
}

void TFCW::AbortToolBClick()
{
    FRun.Abort();
}

void TFCW::SetHoldState(bool flag)
{
    HoldToolB->setChecked(flag);
    HoldToolB->setText(flag ? QStringLiteral("Continue") : QStringLiteral("Hold"));
    HoldToolB->setAccessibleName(HoldToolB->text());
    if (flag)
        SetStatusText(*StatusBar, 2, QStringLiteral("Experiment on Hold"));
    else if (FRun.State() == esRunning)
        SetStatusText(*StatusBar, 2, QStringLiteral("Experiment in progress - please wait"));
    else
        SetStatusText(*StatusBar, 2, QString());
    for (int i = 0; i <= 6; ++i)
        HoldControls[size_t(i)]->setEnabled(flag);
    const int first = FieldSwRngRB->isChecked() ? 8 : 14;
    for (int i = first; i < first + 7; ++i)
        HoldControls[size_t(i)]->setEnabled(flag);
}

void TFCW::ShowPassStarted(bool firstOfRun)
{
    if (firstOfRun) {
        OutOfRangeLab->hide();
        SeriesAcc->Clear();
        TakenUpNotShown = false;
    }
    if (!RunProgressTimer->isActive())
        RunProgressTimer->start(ProgressIntervalMs);
    CurrPass = (CurrPass + 1) % 5;
    for (int age = 1; age <= 4; ++age) {
        TChartSeries* s = Series[size_t((CurrPass + 5 - age) % 5)];
        if (s->Count() > 0)
            s->SetAllColors(PassColors[size_t(age)]);
    }
    Series[size_t(CurrPass)]->Clear();
    Series[size_t(CurrPass)]->Reserve(FRun.PointTotal());
    ApplyPassDisplay();

    XYST->hide();
    DBST->hide();
    EnableParameterBoxes(false);
    MSaveas->setEnabled(false);
    DHToolB->setEnabled(false);
    VertMTB->setEnabled(false);
    HorizMTB->setEnabled(false);
    Marker1.Done();
    UpdateAbort();

    SetAccStatus();
    SetStatusText(*StatusBar, 1, QString());
    SetStatusText(*StatusBar, 2, QStringLiteral("Setting an experiment - please wait"));
    SetStatusText(*StatusBar, 4, QString());
    // What the line said of an earlier store or setup is over with this pass.
    ActivityLab->SetText(QString());
    ParameterNoteShown = false;
    UpdateRunProgress();
}

void TFCW::ShowRunState(int state)
{
    if (state == esRunning) {
        SetStatusText(*StatusBar, 2, QStringLiteral("Experiment in progress - please wait"));
        HoldToolB->setEnabled(true);
    } else if (state == esAborting) {
        SetStatusText(*StatusBar, 2, QStringLiteral("Experiment aborted - please wait"));
        HoldToolB->setEnabled(false);
    }
}

void TFCW::ShowPoint(int, double x, int value)
{
    Series[size_t(CurrPass)]->AddXY(x, value, PassColors[0]);
}

void TFCW::ShowHeldPoint(int index, int value)
{
    Series[size_t(CurrPass)]->SetYValue(index, value);
}

void TFCW::ShowOutOfRange(int count)
{
    OutOfRangeLab->show();
    OutOfRangeLab->setText(Format(QStringLiteral(" Out of range: %d "), {count}));
    OutOfRangeLab->adjustSize();
}

void TFCW::ShowAverage()
{
    const std::vector<int32_t>& sums = FRun.Sums();
    const double passes = std::max(1, FRun.Pass());
    SeriesAcc->Clear();
    SeriesAcc->Reserve(int(sums.size()));
    for (size_t i = 0; i < sums.size(); ++i)
        SeriesAcc->AddXY(FRun.X(int(i)), sums[i] / passes, Qt::white);
}

void TFCW::ShowPassCompleted()
{
    SetStatusText(*StatusBar, 2, QStringLiteral("End of experiment - please wait"));
    HoldToolB->setEnabled(false);
    ShowAverage();
}

void TFCW::ShowPassEnded()
{
    const TSoundEvent& end = FSettings.Sounds[1];
    if (!end.Off)
        SoundPlayer().Play(end.FileName, TSoundMode::Sync);
}

void TFCW::ShowRunEnded(TRunEnd how)
{
    UpdateAbort();
    switch (how) {
    case TRunEnd::Finished:
    case TRunEnd::Known: {
        const TSoundEvent& done = FSettings.Sounds[2];
        if (!done.Off) {
            const bool once = done.Single != 0;
            SoundPlayer().Play(done.FileName, once ? TSoundMode::Async : TSoundMode::Loop);
            AlarmLooping = !once;
        }
        SetStatusText(*StatusBar, 2, QStringLiteral("end of experiment - ready"));
        FRun.SetComment(CommentEdit->text());
        AutoSave();
        // A continued accumulation is stored where the operator agreed when it was continued.
        if (const QString again = FRun.ContinuedSpectrum(); !again.isEmpty())
            StoreRun(again);
        UpdatePassCommands();
        MSaveas->setEnabled(FRun.DataAvailable());
        EnableParameterBoxes(true);
        VertMTB->setEnabled(true);
        HorizMTB->setEnabled(true);
        SetupMarker();
        XYST->show();
        DHToolB->setEnabled(true);
        SetAccStatus();
        TellSuspectPasses();
        break;
    }
    case TRunEnd::Aborted:
        SetStatusText(*StatusBar, 2, QStringLiteral("Experiment aborted - ready"));
        StartToolB->setEnabled(true);
        EnableParameterBoxes(true);
        break;
    case TRunEnd::CutOff:
        // A run cut off by the instrument leaves no locked controls behind,
        // and the passes it completed can still be stored.
        SetHoldState(false);
        EnableParameterBoxes(true);
        if (FRun.DataAvailable())
            MSaveas->setEnabled(true);
        break;
    }
}

void TFCW::TellSuspectPasses()
{
    const std::vector<std::pair<int, double>> suspects = FRun.SuspectPasses();
    if (suspects.empty())
        return;
    QStringList named;
    for (const auto& [number, deviation] : suspects)
        named << QStringLiteral("pass %1 (deviation %2)").arg(number).arg(DeviationText(deviation, 1));
    QString text = QStringLiteral("Suspect: %1 of %2 passes deviate from the others: %3.")
                       .arg(suspects.size())
                       .arg(FRun.CompletedPasses())
                       .arg(named.join(QStringLiteral(", ")));
    QString detail = QStringLiteral("A pass is suspect when it deviates from the median of the passes more than %1 "
                                    "times as much as a typical pass does (a door slammed, the sample moved).")
                         .arg(DefaultSuspectThreshold);
    if (FRun.KnownTarget())
        detail += QStringLiteral(" The value of \"Stop when known\" was fitted without them; the stored spectrum "
                                 "holds every pass.");
    if (FRun.ReviewablePassCount() == 0) {
        MessageDlg(text, TMsgType::Warning, mbOK, detail);
        return;
    }
    text += QStringLiteral(" Review the passes?");
    if (MessageDlg(text, TMsgType::Warning, mbYes | mbNo,
                   detail + QStringLiteral(" Untick them in the review to store the sum of the others.")) == mbYes)
        MPassesClick();
}

void TFCW::ShowParameterNote(const QString& note)
{
    ActivityLab->SetText(note);
    ParameterNoteShown = true;
    if (FRun.Running()) {
        NoteOverProgress.setRemainingTime(NoteOverProgressMs);
        UpdateRunProgress();
    }
}

void TFCW::ClearParameterNote()
{
    if (!ParameterNoteShown)
        return;
    ParameterNoteShown = false;
    NoteOverProgress = QDeadlineTimer();
    ActivityLab->SetText(QString());
    UpdateRunProgress();
}

void TFCW::UpdateRunProgress()
{
    const bool runOn = FRun.State() >= esSettingUp && FRun.State() <= esPassEnded;
    if (!runOn) {
        RunProgressTimer->stop();
        RunProgressBar->hide();
        RunProgressBar->reset();
        ActivityLab->show();
        return;
    }
    if (ParameterNoteShown && !NoteOverProgress.hasExpired()) {
        RunProgressBar->hide();
        ActivityLab->show();
        return;
    }
    TRunProgress p;
    p.Loop = FRun.Loop();
    // From the end of a pass until the instrument sets up the next, the
    // counter names the next pass, which has no points yet.
    const bool nextNotSetUp = !p.Loop && FRun.State() == esPassEnded && FRun.Pass() > FRun.CompletedPasses();
    p.Points = nextNotSetUp ? 0 : FRun.Points();
    p.PointTotal = nextNotSetUp ? 0 : FRun.PointTotal();
    p.Pass = p.Loop ? FRun.PassesSetUp() : FRun.Pass();
    p.Passes = FSetup.Position(TParameter::Acc);
    p.OnHold = FRun.OnHold();
    p.SweepSeconds = SweepTimeSeconds(FSetup.Position(TParameter::SweepT));
    if (const auto& target = FRun.KnownTarget(); target && !FRun.KnownPoints().empty()) {
        const TKnownPoint& last = FRun.KnownPoints().back();
        p.Known = KnownValueText(*target, last, FSetup.SweepUnit());
        p.KnownPassesLeft = PassesStillNeeded(*target, last).value_or(-1);
        p.KnownAfterPass = last.Pass;
    }
    p.NotKeptFrom = FRun.NotKeptFrom();
    RunProgressBar->setValue(ProgressPercent(p));
    const QString text = ProgressText(p);
    if (RunProgressBar->format() != text) {
        RunProgressBar->setFormat(text);
        RunProgressBar->setAccessibleName(text);
    }
    RunProgressBar->setToolTip(text);
    ActivityLab->hide();
    RunProgressBar->show();
}

void TFCW::ShowProblem()
{
    const QString problem = FRun.Problem();
    ProblemLab->SetText(problem);
    ProblemLab->setVisible(!problem.isEmpty());
    ProblemOkTB->setVisible(!problem.isEmpty());
    UpdateRunProgress();
}
