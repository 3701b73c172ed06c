#include "Run.h"

#include "InstrumentSetup.h"
#include "LiveFit.h"
#include "Usr.h"

#include <QFileInfo>
#include <QMetaObject>
#include <algorithm>

namespace {

// A passes folder not yet stored with a spectrum moves with the spectrum when it is.
bool IsUnsavedFolder(const QString& folder)
{
    return QFileInfo(folder).fileName().startsWith(UnsavedPrefix());
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

// a - b and a + b, wrapping as the instrument's 32-bit accumulation does.
int32_t Minus(int32_t a, int32_t b)
{
    return int32_t(uint32_t(a) - uint32_t(b));
}

int32_t Plus(int32_t a, int32_t b)
{
    return int32_t(uint32_t(a) + uint32_t(b));
}

} // namespace

TRun::TRun(TCommandSet& commands, const bool& connected, const bool& connecting, const int32_t& dataDivisor,
           TInstrumentSetup& setup)
    : FCommands(commands), FConnected(connected), FConnecting(connecting), FDataDivisor(dataDivisor), FSetup(setup)
{
    // One fit at a time, in the order of the passes.
    FFitThread.setMaxThreadCount(1);
}

TRun::~TRun()
{
    FFitThread.waitForDone();
}

double TRun::X(int index) const
{
    return SpectrumPointX(FPassHeader.SweepR, PointTotal(), index);
}

TDataHeader TRun::Header() const
{
    TDataHeader h = FDataHeader;
    h.Comment = FComment;
    return h;
}

bool TRun::Start(const TRunOptions& options)
{
    if (!FConnected || FConnecting)
        return false;
    FOptions = options;
    if (FOptions.Loop)
        FOptions.StopWhenKnown.reset();
    FCommands.StartSweep(FSetup.SweepDigit());
    FPass = 1;
    FCompletedPasses = 0;
    FAbortRequested = false;
    FSweepAsked = true;
    return true;
}

void TRun::Hold()
{
    FCommands.SetHold(FHold ? 0 : 1);
}

void TRun::Abort()
{
    FAbortRequested = true;
    FCommands.AbortExperiment();
}

void TRun::HandleReply(const TReply& r)
{
    switch (r.Letter) {
    case 'A':
        PassSetUp(r.Points);
        break;
    case 'B':
        FState = esRunning;
        emit StateChanged(FState);
        break;
    case 'C':
        PassComplete();
        break;
    case 'D':
        Ready();
        break;
    case 'F':
        FAwaitingFit = false;
        FState = esAborting;
        emit StateChanged(FState);
        break;
    case 'H':
        SetHold(r.OnHold);
        break;
    case 'V':
        Value(r);
        break;
    default:
        break;
    }
}

bool TRun::FitsRun(int points)
{
    if (FPass == 1 || points == PointTotal())
        return true;
    // A pass of another length cannot be added to the sum: the run ends.
    emit PassRefused(
        QStringLiteral("pass of %1 points does not fit the %2 points of the run").arg(points).arg(PointTotal()));
    Abort();
    return false;
}

void TRun::PassSetUp(int points)
{
    if (!FitsRun(points))
        return;
    const bool first = FPass == 1;
    if (first) {
        if (points < 2) {
            // A pass of fewer than two points has no step between its points.
            emit PassRefused(QStringLiteral("pass of %1 points refused").arg(points));
            return;
        }
        // Entries a first pass does not deliver stay zero.
        FSums.assign(size_t(points), 0);
        FPassHeader = FSetup.Header();
        FOutOfRange = 0;
        FDataAvailable = false;
        FUnsaved = false;
        FPassValues.clear();
        FPassNumbers.clear();
        FKnown.clear();
        FFitForPass = 0;
        ++FGeneration;
        BeginPasses();
    }
    // A pass that follows an ended pass belongs to the same run.
    FPassesSetUp = FState == esPassEnded ? FPassesSetUp + 1 : 1;
    FAwaitingFit = false;   // the instrument went on by itself: nothing is left to decide
    FPoints = 0;
    FState = esSettingUp;
    emit PassStarted(first);
}

void TRun::Value(const TReply& r)
{
    if (r.OutOfRange)
        emit OutOfRangeCounted(++FOutOfRange);
    const int32_t value = r.Raw / FDataDivisor - FSetup.Position(TParameter::Level);
    if (FHold && FPoints > 0) {
        // On hold the point at the held position follows the live signal.
        emit HeldPointMoved(FPoints - 1, value);
        return;
    }
    if (FPoints >= PointTotal())
        return;  // more values than the pass announced
    const auto i = size_t(FPoints);
    FSums[i] = FPass < 2 ? value : Plus(FSums[i], value);
    ++FPoints;
    emit PointAdded(FPoints - 1, X(FPoints - 1), value);
}

void TRun::PassComplete()
{
    FState = esPassEnded;
    // The pass is what it added to the sum of the passes before it.
    std::vector<int32_t> pass = FSums;
    if (FPass > 1 && FCompletedSum.size() == pass.size())
        for (size_t i = 0; i < pass.size(); ++i)
            pass[i] = Minus(pass[i], FCompletedSum[i]);
    KeepPass(pass);
    FCompletedSum = FSums;
    FCompletedPasses = FPass;
    emit PassCompleted();
    StartKnownFit();
}

void TRun::Ready()
{
    SetHold(false);
    if (FState == esPassEnded) {
        emit PassEnded();
        if (FitPending())
            FAwaitingFit = true;   // the fit of this pass decides
        else
            Proceed();
    } else if (FState == esAborting) {
        EndAborted();
    }
    emit CountChanged();
}

void TRun::Proceed()
{
    if (FAbortRequested) {
        // Abort came as the pass ended: whatever the instrument says, no new pass.
        EndAborted();
    } else if (FOptions.Loop) {
        FCommands.StartSweep(FSetup.SweepDigit());
    } else if (FOptions.StopWhenKnown && !FKnown.empty() && FKnown.back().Pass == FPass &&
               Reached(*FOptions.StopWhenKnown, FKnown.back())) {
        Finish(TRunEnd::Known);
    } else if (FSetup.Position(TParameter::Acc) > FPass) {
        ++FPass;
        FCommands.StartSweep(FSetup.SweepDigit());
    } else {
        Finish(TRunEnd::Finished);
    }
}

void TRun::Finish(TRunEnd how)
{
    FState = esFinished;
    FSweepAsked = false;
    FDataAvailable = true;
    FUnsaved = true;
    // The settings are taken as the run ends, so that the file describes the
    // data even when a parameter changes before it is saved.
    FDataHeader = FSetup.Header();
    FDataHeader.Acc = QString::number(FPass);
    emit RunEnded(how);
    FContinuing = false;
}

void TRun::EndAborted()
{
    FAwaitingFit = false;
    FSweepAsked = false;
    FState = esAborted;
    emit RunEnded(TRunEnd::Aborted);
}

void TRun::SetHold(bool onHold)
{
    FHold = onHold;
    emit HoldChanged(onHold);
}

void TRun::Disconnected()
{
    const bool wasRunning = Running();
    FState = esIdle;
    FSweepAsked = false;
    FAwaitingFit = false;
    if (!wasRunning)
        return;
    FHold = false;
    KeepCompletedPasses();
    emit RunEnded(TRunEnd::CutOff);
}

// A run cut off keeps the passes it completed: their sum can still be
// stored, with Acc the number of those passes. A partial pass is not part of it.
void TRun::KeepCompletedPasses()
{
    if (FCompletedPasses == 0)
        return;
    FSums = FCompletedSum;
    FDataHeader = FSetup.Header();
    FDataHeader.Acc = QString::number(FCompletedPasses);
    FDataAvailable = true;
    FUnsaved = true;
}

void TRun::Stored(const QString& path)
{
    FUnsaved = false;
    if (!FRecorder.Active() || !IsUnsavedFolder(FRecorder.Folder()))
        return;
    try {
        FRecorder.MoveTo(PassFolderOf(path));
    } catch (const EMerilError& e) {
        emit Error(e.Text());
    }
}

void TRun::BeginPasses()
{
    FContinuing = false;
    FRecorder.Clear();
    FKeptSetupBytes.clear();
    FReviewFolder.clear();
    FPassesOnDisk = 0;
    if (FOptions.Loop || FOptions.PassFolder.isEmpty())
        return;
    FKeptSetupBytes = SetupRecordToBytes(FSetup.Record());
    FRunTarget = FSetup.Position(TParameter::Acc);
    FRecorder.Begin(FOptions.PassFolder, FKeptSetupBytes);
    FReviewFolder = FOptions.PassFolder;
}

void TRun::KeepPass(const std::vector<int32_t>& pass)
{
    if (FOptions.Loop)
        return;
    FPassValues.push_back(pass);
    FPassNumbers.push_back(FPassNumbers.empty() ? 1 : FPassNumbers.back() + 1);
    if (!FRecorder.Active())
        return;
    TDataHeader header = FSetup.Header();
    header.Comment = FComment;
    try {
        FRecorder.Write(header, pass);
        FPassNumbers.back() = FRecorder.LastNumber();
        FPassesOnDisk = FPassValues.size();
    } catch (const EMerilError& e) {
        // The run goes on in memory; only its passes are not kept from here
        // on. Told once, in words that stay until they are acknowledged.
        FNotKeptFrom = FPass;
        FProblem = QStringLiteral("Passes not kept from pass %1 on: %2").arg(FPass).arg(e.Text());
        emit Error(QStringLiteral("Passes not kept: ") + e.Text());
        emit ProblemChanged();
        FRecorder.Clear();
    }
}

TPassSet TRun::ReviewablePasses() const
{
    TPassSet set;
    if (FReviewFolder.isEmpty())
        return set;
    set.Folder = FRecorder.Active() ? FRecorder.Folder() : FReviewFolder;
    set.SetupBytes = FKeptSetupBytes;
    const TDataHeader header = SumHeader(FPassHeader, 1);
    for (size_t k = 0; k < FPassValues.size(); ++k) {
        const int number = FPassNumbers[k];
        set.Passes.push_back({number,
                              k < FPassesOnDisk ? PassFileName(number)
                                                : QStringLiteral("pass %1, not on disk").arg(number),
                              header, FPassValues[k]});
    }
    return set;
}

bool TRun::MayContinue(bool single) const
{
    return !Running() && FConnected && single && FRecorder.Active() && FCompletedPasses > 0 &&
           !FCompletedSum.empty() && SameParameters(FKeptSetupBytes, FSetup.Record());
}

int TRun::ContinueProposal() const
{
    // A run cut short proposes the passes it still lacked.
    return FRunTarget > FCompletedPasses ? FRunTarget - FCompletedPasses : FCompletedPasses;
}

void TRun::AcknowledgeProblem()
{
    if (FProblem.isEmpty())
        return;
    FProblem.clear();
    FNotKeptFrom = 0;
    emit ProblemChanged();
}

QString TRun::KeptSpectrum() const
{
    if (!FRecorder.Active() || IsUnsavedFolder(FRecorder.Folder()))
        return QString();
    return SpectrumOfPassFolder(FRecorder.Folder());
}

void TRun::Continue(const std::optional<TKnownTarget>& stopWhenKnown, const QString& storeIn)
{
    FSums = FCompletedSum;
    FPass = FCompletedPasses + 1;
    FRunTarget = FSetup.Position(TParameter::Acc);
    FAbortRequested = false;
    FContinuing = true;
    FContinueInto = storeIn;
    FSweepAsked = true;
    FDataAvailable = false;
    FOptions.Loop = false;
    FOptions.StopWhenKnown = stopWhenKnown;
    FCommands.StartSweep(FSetup.SweepDigit());
    emit CountChanged();
}

QString TRun::ContinuedSpectrum() const
{
    return FContinuing && FUnsaved ? FContinueInto : QString();
}

void TRun::TakeUp(const TPassSet& set)
{
    const int count = int(set.Passes.size());
    FSums = SumOfPasses(set.Passes, std::vector<bool>(set.Passes.size(), true));
    FCompletedSum = FSums;
    FCompletedPasses = count;
    FPass = count;
    FPassHeader = set.Header();
    FDataHeader = SumHeader(set.Header(), count);
    FKeptSetupBytes = set.SetupBytes;
    FRecorder.Resume(set.Folder, set.LastNumber());
    FRunTarget = count;
    FContinuing = false;
    FPassValues.clear();
    FPassNumbers.clear();
    for (const TKeptPass& p : set.Passes) {
        FPassValues.push_back(p.Sums);
        FPassNumbers.push_back(p.Number);
    }
    FPassesOnDisk = FPassValues.size();
    FReviewFolder = set.Folder;
    FKnown.clear();
    ++FGeneration;
    FDataAvailable = true;
    FUnsaved = false;
    emit CountChanged();
}

bool TRun::UseChosenPasses(const std::vector<int32_t>& sum, int count)
{
    if (sum.size() != FSums.size() && !FSums.empty())
        return false;
    FSums = sum;
    FDataHeader.Acc = QString::number(count);
    FDataAvailable = true;
    FUnsaved = true;
    return true;
}

std::vector<double> TRun::Deviations() const
{
    // Against the median of two passes nothing stands out.
    if (FPassValues.size() < 3)
        return std::vector<double>(FPassValues.size(), 0.0);
    return PassDeviations(std::span<const std::vector<int32_t>>(FPassValues));
}

std::vector<std::pair<int, double>> TRun::SuspectPasses() const
{
    std::vector<std::pair<int, double>> suspects;
    const std::vector<double> deviations = Deviations();
    for (size_t k = 0; k < deviations.size(); ++k)
        if (deviations[k] > DefaultSuspectThreshold)
            suspects.emplace_back(FPassNumbers[k], deviations[k]);
    return suspects;
}

bool TRun::FitPending() const
{
    return FOptions.StopWhenKnown && FFitForPass == FPass && (FKnown.empty() || FKnown.back().Pass != FPass);
}

void TRun::StartKnownFit()
{
    if (!FOptions.StopWhenKnown || FPassValues.empty())
        return;
    // The sum of the passes that are not suspect.
    const std::vector<double> deviations = Deviations();
    std::vector<int32_t> sum(FSums.size(), 0);
    int fitted = 0;
    std::vector<int> leftOut;
    for (size_t k = 0; k < FPassValues.size(); ++k) {
        if (deviations[k] > DefaultSuspectThreshold) {
            leftOut.push_back(FPassNumbers[k]);
            continue;
        }
        for (size_t i = 0; i < sum.size() && i < FPassValues[k].size(); ++i)
            sum[i] = Plus(sum[i], FPassValues[k][i]);
        ++fitted;
    }
    FFitForPass = FPass;
    const int generation = FGeneration;
    const int pass = FPass;
    FFitThread.start([this, generation, pass, fitted, leftOut, sum = std::move(sum), header = FSetup.Header(),
                      target = *FOptions.StopWhenKnown] {
        TKnownPoint point = FitKnown(header, sum, fitted, target);
        point.Pass = pass;
        point.LeftOut = leftOut;
        QMetaObject::invokeMethod(this, [this, generation, point] { KnownFitDone(generation, point); },
                                  Qt::QueuedConnection);
    });
}

void TRun::KnownFitDone(int generation, const TKnownPoint& point)
{
    if (generation != FGeneration)
        return;
    FKnown.push_back(point);
    emit KnownUpdated();
    if (FAwaitingFit && point.Pass == FPass) {
        FAwaitingFit = false;
        Proceed();
        emit CountChanged();
    }
}
