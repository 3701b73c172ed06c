// Every completed pass kept beside the spectrum, the review of the passes, and
// an accumulation continued from kept passes (after an abort, a lost link, or
// a restart of the program).

#include "UCW.h"

#include "Chart.h"
#include "MenuOf.h"
#include "Operator.h"
#include "PassReview.h"
#include "StatusBar.h"
#include "UOutMess.h"
#include "UpDown.h"
#include "Usr.h"

#include <QAction>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>

namespace {

const QString UnsavedPrefix = QStringLiteral("unsaved-");

// A passes folder not yet stored with a spectrum moves with the spectrum when it is.
bool IsUnsavedFolder(const QString& folder)
{
    return QFileInfo(folder).fileName().startsWith(UnsavedPrefix);
}

// Setup records alike in every parameter; the number of accumulations may differ.
bool SameParameters(QByteArrayView a, const SetupRecord& b)
{
    SetupRecord kept;
    if (!SetupRecordFromBytes(a, kept))
        return false;
    kept.Acc = b.Acc;
    return kept == b;
}

// Asks how many passes to add, proposing `proposal`; 0 when the operator cancels.
int AskMorePasses(QWidget* parent, int proposal, int maximum)
{
    QDialog d(parent);
    d.setWindowTitle(QStringLiteral("Continue accumulation"));
    auto* count = new QSpinBox(&d);
    count->setRange(1, std::max(1, maximum));
    count->setValue(std::clamp(proposal, 1, std::max(1, maximum)));
    count->setAccessibleName(QStringLiteral("More passes"));
    count->setObjectName(QStringLiteral("MorePassesEdit"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &d);
    auto* form = new QFormLayout(&d);
    form->addRow(QStringLiteral("More passes:"), count);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    return Operator().ExecModal(d) == QDialog::Accepted ? count->value() : 0;
}

} // namespace

void TFCW::CreatePassCommands()
{
    MPasses = new QAction(QStringLiteral("Passes..."), this);
    MContinueAcc = new QAction(QStringLiteral("Continue accumulation"), this);
    MKeepPasses = new QAction(QStringLiteral("Keep every pass"), this);
    MKeepPasses->setCheckable(true);
    MKeepPasses->setChecked(true);
    QMenu* file = MenuOf(MSaveas);
    file->insertAction(MSaveas, MPasses);
    QMenu* spc = MenuOf(MAbort);
    spc->addAction(MContinueAcc);
    QMenu* tools = MenuOf(MFileLocation);
    tools->addAction(MKeepPasses);
    for (QMenu* m : {file, spc})
        connect(m, &QMenu::aboutToShow, this, [this] { UpdatePassCommands(); });
    connect(MPasses, &QAction::triggered, this, Guarded(this, &TFCW::MPassesClick));
    connect(MContinueAcc, &QAction::triggered, this, Guarded(this, &TFCW::MContinueAccClick));
    UpdatePassCommands();
}

void TFCW::UpdatePassCommands()
{
    const bool running = ExpState >= esSettingUp && ExpState <= esAborting;
    MPasses->setEnabled(PassRecorder.Active() && (running ? CompletedPasses : PassRecorder.LastNumber()) >= 2);
    MContinueAcc->setEnabled(MayContinue());
}

bool TFCW::MayContinue() const
{
    const bool running = ExpState >= esSettingUp && ExpState <= esAborting;
    return !running && DeviceConnected && SingleRB->isChecked() && PassRecorder.Active() && CompletedPasses > 0 &&
           !CompletedSum.empty() && SameParameters(KeptSetupBytes, CurrentSetupRecord());
}

void TFCW::BeginRunPasses()
{
    ContinuingRun = false;
    PassRecorder.Clear();
    KeptSetupBytes.clear();
    if (!SingleRB->isChecked() || !MKeepPasses->isChecked())
        return;
    const QString acqDir = DAcqSaveDialog->InitialDir;
    QString folder;
    // A named run writes beside its spectrum unless something of that name is there already.
    if (!FNameEdit->text().isEmpty()) {
        const QString spectrum = AutoSavePath(acqDir, FNameEdit->text());
        folder = PassFolderOf(spectrum);
        if (QFileInfo::exists(spectrum) || QFileInfo::exists(folder) || !QFileInfo(spectrum).absoluteDir().exists())
            folder.clear();
    }
    if (folder.isEmpty()) {
        const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
        folder = PassFolderOf(AutoSavePath(acqDir, UnsavedPrefix + stamp));
        for (int i = 2; QFileInfo::exists(folder); ++i)
            folder = PassFolderOf(AutoSavePath(acqDir, UnsavedPrefix + stamp + QStringLiteral("-%1").arg(i)));
    }
    KeptSetupBytes = SetupRecordToBytes(CurrentSetupRecord());
    RunTarget = AccUpDown->Position();
    PassRecorder.Begin(folder, KeptSetupBytes);
}

void TFCW::KeepPass()
{
    if (!PassRecorder.Active())
        return;
    // The pass is what this pass added to the sum of the passes before it.
    std::vector<int32_t> pass = AccBuffer;
    if (AccUpDown->Tag > 1 && CompletedSum.size() == pass.size())
        for (size_t i = 0; i < pass.size(); ++i)
            pass[i] = int32_t(uint32_t(pass[i]) - uint32_t(CompletedSum[i]));
    TDataHeader header = CurrentHeader();
    header.Comment = CommentEdit->text();
    try {
        PassRecorder.Write(header, pass);
    } catch (const EMerilError& e) {
        // The run goes on; only its passes are not kept.
        SetStatusText(*StatusBar, 4, QStringLiteral("Passes not kept: ") + e.Text());
        PassRecorder.Clear();
    }
}

void TFCW::MovePassesWith(const QString& spectrumPath)
{
    if (!PassRecorder.Active() || !IsUnsavedFolder(PassRecorder.Folder()))
        return;
    try {
        PassRecorder.MoveTo(PassFolderOf(spectrumPath));
    } catch (const EMerilError& e) {
        SetStatusText(*StatusBar, 4, e.Text());
    }
}

void TFCW::MPassesClick()
{
    if (!PassRecorder.Active())
        return;
    TPassReview review(ReadPassFolder(PassRecorder.Folder()), this);
    review.Comment = CommentEdit->text();
    const bool running = ExpState >= esSettingUp && ExpState <= esAborting;
    if (!running)
        // The chosen passes become the data that "Save data as ..." stores.
        review.OnChosenChanged = [this](const std::vector<int32_t>& sum, int count) {
            if (sum.size() != size_t(SeriesAcc->Count()) && SeriesAcc->Count() > 0)
                return;
            AccBuffer = sum;
            RunHeader.Acc = QString::number(count);
            for (size_t i = 0; i < sum.size() && int(i) < SeriesAcc->Count(); ++i)
                SeriesAcc->SetYValue(int(i), double(sum[i]) / count);
            SeriesAcc->Repaint();
            SavedDataAvailable = true;
            SpectrumUnsaved = true;
            MSaveas->setEnabled(true);
        };
    Operator().ExecModal(review);
}

void TFCW::MContinueAccClick()
{
    UpdatePassCommands();
    if (!MayContinue()) {
        MessageDlg(QStringLiteral("The accumulation can be continued only with the parameters of its kept passes."),
                   TMsgType::Warning, mbOK);
        return;
    }
    const int kept = CompletedPasses;
    if (AccUpDown->Position() <= kept) {
        // A run cut short proposes the passes it still lacked.
        const int more = AskMorePasses(this, RunTarget > kept ? RunTarget - kept : kept, AccUpDown->Max() - kept);
        if (more == 0)
            return;
        AccUpDown->SetPosition(kept + more);
        AccUpDownClick();
    }
    AccBuffer = CompletedSum;
    AccUpDown->Tag = kept + 1;
    RunTarget = AccUpDown->Position();
    AbortRequested = false;
    ContinuingRun = true;
    SavedDataAvailable = false;
    MSaveas->setEnabled(false);
    StopAlarm();
    Commands->StartSweep(StartSweepDigit());
    SetAccStatus();
    UpdatePassCommands();
}

void TFCW::EndRunPasses()
{
    // A continued accumulation of a stored spectrum is stored there again, with its new Acc.
    if (ContinuingRun && SpectrumUnsaved && PassRecorder.Active() && !IsUnsavedFolder(PassRecorder.Folder()))
        WriteSpectrum(SpectrumOfPassFolder(PassRecorder.Folder()));
    ContinuingRun = false;
    UpdatePassCommands();
}

bool TFCW::FitsRun(int points)
{
    if (AccUpDown->Tag == 1 || points == int(AccBuffer.size()))
        return true;
    // A pass of another length cannot be added to the sum: the run ends.
    SetStatusText(*StatusBar, 2,
                  QStringLiteral("pass of %1 points does not fit the %2 points of the run").arg(points).arg(AccBuffer.size()));
    AbortRequested = true;
    Commands->AbortExperiment();
    return false;
}

bool TFCW::OpenPassFolder(const QString& folder)
{
    if (ExpState >= esSettingUp && ExpState <= esAborting) {
        MessageDlg(QStringLiteral("Measure in progress"), TMsgType::Warning, mbOK);
        return false;
    }
    TPassSet set;
    try {
        set = ReadPassFolder(folder);
    } catch (const EMerilError& e) {
        MessageDlg(e.Text(), TMsgType::Error, mbOK);
        return false;
    }
    if (set.Passes.empty()) {
        MessageDlg(QStringLiteral("No pass can be read in \"%1\".").arg(QDir::toNativeSeparators(set.Folder)),
                   TMsgType::Error, mbOK, set.ProblemText());
        return false;
    }
    if (!set.Problems.empty())
        MessageDlg(QStringLiteral("Some pass files are left out."), TMsgType::Warning, mbOK, set.ProblemText());
    const int count = int(set.Passes.size());
    if (count > MaxStoredAcc)
        MessageDlg(TooManyPassesText(count), TMsgType::Warning, mbOK,
                   QStringLiteral("Tick at most %1 of them under File > Passes... to store their sum.").arg(MaxStoredAcc));
    AccBuffer = SumOfPasses(set.Passes, std::vector<bool>(set.Passes.size(), true));
    CompletedSum = AccBuffer;
    CompletedPasses = count;
    AccUpDown->Tag = count;
    RunHeader = SumHeader(set.Header(), count);
    KeptSetupBytes = set.SetupBytes;
    PassRecorder.Resume(set.Folder, set.LastNumber());
    RunTarget = count;
    ContinuingRun = false;

    const TChartAxis& x = Fid->BottomAxis();
    PointStep = (x.Maximum() - x.Minimum()) / double(AccBuffer.size() - 1);
    SeriesAcc->Clear();
    SeriesAcc->Reserve(int(AccBuffer.size()));
    for (size_t i = 0; i < AccBuffer.size(); ++i)
        SeriesAcc->AddXY(x.Minimum() + double(i) * PointStep, double(AccBuffer[i]) / count, Qt::white);
    SavedDataAvailable = true;
    SpectrumUnsaved = false;
    MSaveas->setEnabled(true);
    SetAccStatus();
    SetStatusText(*StatusBar, 2,
                  QStringLiteral("%1 passes taken up from %2").arg(count).arg(QFileInfo(set.Folder).fileName()));
    UpdatePassCommands();
    return true;
}
