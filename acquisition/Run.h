#pragma once
// The experiment run: the state machine driven by the instrument's replies,
// the accumulation of the passes, the sum of the passes completed so far,
// every completed pass kept in a folder beside the spectrum, an accumulation
// continued from kept passes, the end of a run cut off by a lost link, and a
// run that stops when the number it is for is known. No widgets: the main
// window sends the operator's commands here and shows what the signals say.

#include "DataFile.h"
#include "KnownStop.h"
#include "PassSet.h"
#include "ReplyLine.h"

#include <QObject>
#include <QThreadPool>
#include <optional>
#include <utility>
#include <vector>

class TCommandSet;
class TInstrumentSetup;

// Experiment states.
enum TExpState : int {
    esIdle = 0, esSettingUp = 1, esRunning = 2, esPassEnded = 3, esAborting = 4, esAborted = 5, esFinished = 10
};

// A folder of passes whose name begins so is stored with no spectrum yet:
// it moves to the spectrum when that is stored.
inline QString UnsavedPrefix()
{
    return QStringLiteral("unsaved-");
}

// What a run is started with.
struct TRunOptions {
    bool Loop = false;         // passes repeat until Abort, each one replacing the last
    // Where a Single run keeps every pass it completes; none when empty.
    QString PassFolder;
    // Ends the run with the pass that gives the quantity to the uncertainty
    // wanted (Single runs only).
    std::optional<TKnownTarget> StopWhenKnown;
};

enum class TRunEnd {
    Finished,   // the accumulations set are done
    Known,      // the quantity is known to the uncertainty wanted
    Aborted,
    CutOff      // the instrument went away; the completed passes are the data
};

class TRun : public QObject {
    Q_OBJECT
public:
    TRun(TCommandSet& commands, const bool& connected, const bool& connecting, const int32_t& dataDivisor,
         TInstrumentSetup& setup);
    ~TRun() override;

    int State() const { return FState; }
    // A pass is being set up, measured, ended or aborted.
    bool Running() const { return FState >= esSettingUp && FState <= esAborting; }
    // From Start or Continue until the run has ended: there is something to abort.
    bool InProgress() const { return FSweepAsked || Running(); }
    // The pass counter: the pass of the run being measured, from 1 (a Loop
    // run measures pass 1 again and again).
    int Pass() const { return FPass; }
    // Passes of this run set up so far, those of a Loop run too.
    int PassesSetUp() const { return FPassesSetUp; }
    bool Loop() const { return FOptions.Loop; }
    int Points() const { return FPoints; }
    int PointTotal() const { return int(FSums.size()); }
    bool OnHold() const { return FHold; }
    int OutOfRange() const { return FOutOfRange; }
    // The running sums of the run's passes, one per point (AccBuffer).
    const std::vector<int32_t>& Sums() const { return FSums; }
    // x of a point of the run's passes: the offset from the centre of the
    // sweep in the header of the passes, as a spectrum file gives it.
    double X(int index) const;

    // The data of the last run (finished, cut off, taken up from a folder)
    // may be stored until the next run starts.
    bool DataAvailable() const { return FDataAvailable; }
    // ... and are stored in no file yet.
    bool Unsaved() const { return FUnsaved; }
    // Their header: what the instrument got, Acc the passes summed.
    TDataHeader Header() const;
    // A spectrum of the data was written to `path`: a passes folder not yet
    // stored with a spectrum moves beside it.
    void Stored(const QString& path);
    // The comment of the run's files.
    void SetComment(const QString& comment) { FComment = comment; }

    // False, sending nothing, while no instrument is connected or a
    // connection is still being made.
    bool Start(const TRunOptions& options);
    // Asks the instrument to hold the pass, or to go on when it holds.
    void Hold();
    void Abort();
    // The instrument is gone: a run in progress ends with the passes it
    // completed as its data.
    void Disconnected();
    // A reply of a pass (A, B, C, D, F, H, V).
    void HandleReply(const TReply& r);

    // ---- Kept passes ----
    const TPassRecorder& Recorder() const { return FRecorder; }
    // The passes of the run as the review shows them, from memory: those its
    // folder holds and those a full disk kept from it ("pass 5, not on disk").
    // Empty for a Loop run and a run that keeps no passes.
    TPassSet ReviewablePasses() const;
    int ReviewablePassCount() const { return FReviewFolder.isEmpty() ? 0 : int(FPassValues.size()); }
    int CompletedPasses() const { return FCompletedPasses; }
    // The accumulation may go on: not running, connected, a Single run, and
    // the parameters those of its kept passes (the accumulations aside).
    bool MayContinue(bool single) const;
    // Passes to offer for a continued run: those the run lacked, else as many again.
    int ContinueProposal() const;
    // The spectrum the kept passes belong to (that of their folder); empty
    // for passes not yet stored with a spectrum.
    QString KeptSpectrum() const;
    // Adds passes to the kept ones until the accumulations set; the sum is
    // to be stored in `storeIn` (none: where the operator chooses).
    void Continue(const std::optional<TKnownTarget>& stopWhenKnown, const QString& storeIn = QString());
    // Where a finished continued run is to be stored; empty when nowhere yet.
    QString ContinuedSpectrum() const;

    // ---- Problems that must not pass unseen ----
    // The first pass of the run that could not be kept, with the system's
    // reason; it stays until the operator acknowledges it. Empty when none.
    QString Problem() const { return FProblem; }
    // The number of that pass; 0 when none is to be acknowledged.
    int NotKeptFrom() const { return FNotKeptFrom; }
    void AcknowledgeProblem();
    // Takes up the passes of a folder as the data, ready to store or to continue.
    void TakeUp(const TPassSet& set);
    // The sum of passes chosen in the review becomes the data; false when it
    // is not of the run's points.
    bool UseChosenPasses(const std::vector<int32_t>& sum, int count);
    // Completed passes whose deviation from the others marks them suspect:
    // their numbers and deviations (three passes or more).
    std::vector<std::pair<int, double>> SuspectPasses() const;

    // ---- Stop when known ----
    const std::optional<TKnownTarget>& KnownTarget() const { return FOptions.StopWhenKnown; }
    // The fits of the sum after each pass of the run, in order.
    const std::vector<TKnownPoint>& KnownPoints() const { return FKnown; }

signals:
    void PassStarted(bool firstOfRun);        // A: a pass is set up
    void StateChanged(int state);             // B: running; F: aborting
    void PointAdded(int index, double x, int value);
    void HeldPointMoved(int index, int value); // V on hold: the held point follows the signal
    void OutOfRangeCounted(int count);
    void PassCompleted();                     // C: the sums hold the pass
    void PassEnded();                         // D after a pass, before the run goes on or ends
    void RunEnded(TRunEnd how);
    void HoldChanged(bool onHold);            // H, and D releases
    void CountChanged();                      // the pass counter or the data changed
    void KnownUpdated();                      // a fit of the sum came
    // A pass the run cannot take (too few points, or not of the run's points).
    void PassRefused(const QString& text);
    // A file of the run could not be written or moved, with the system's reason.
    void Error(const QString& text);
    // The storage problem to be acknowledged appeared or was acknowledged.
    void ProblemChanged();

private:
    void PassSetUp(int points);
    void PassComplete();
    void Ready();
    void Proceed();
    void Finish(TRunEnd how);
    void EndAborted();
    void Value(const TReply& r);
    void SetHold(bool onHold);
    bool FitsRun(int points);
    void BeginPasses();
    void KeepPass(const std::vector<int32_t>& pass);
    void KeepCompletedPasses();
    void StartKnownFit();
    void KnownFitDone(int generation, const TKnownPoint& point);
    // The fit of this pass's sum is under way.
    bool FitPending() const;
    std::vector<double> Deviations() const;

    TCommandSet& FCommands;
    const bool& FConnected;
    const bool& FConnecting;
    const int32_t& FDataDivisor;
    TInstrumentSetup& FSetup;
    TRunOptions FOptions;
    QString FComment;

    int FState = esIdle;
    int FPass = 0;
    int FPassesSetUp = 0;
    int FPoints = 0;
    bool FHold = false;
    bool FAbortRequested = false;   // no further pass is started
    bool FSweepAsked = false;       // Start or Continue sent the sweep; the run has not ended
    QString FProblem;
    int FNotKeptFrom = 0;
    int FOutOfRange = 0;
    std::vector<int32_t> FSums;
    TDataHeader FPassHeader;        // of the run's passes: their sweep
    TDataHeader FDataHeader;        // of the data to store
    bool FDataAvailable = false;
    bool FUnsaved = false;

    // The passes completed: their sum and number, and each pass's own values.
    std::vector<int32_t> FCompletedSum;
    int FCompletedPasses = 0;
    std::vector<std::vector<int32_t>> FPassValues;
    std::vector<int> FPassNumbers;
    size_t FPassesOnDisk = 0;       // the first of FPassValues that are in the folder
    QString FReviewFolder;          // the folder the run's passes went to, written or not
    TPassRecorder FRecorder;
    QByteArray FKeptSetupBytes;     // the setup record the kept passes were measured with
    bool FContinuing = false;
    QString FContinueInto;          // where the continued run is stored
    int FRunTarget = 0;             // the passes the kept run was to have

    std::vector<TKnownPoint> FKnown;
    int FGeneration = 0;            // of the run; a fit of an earlier run is dropped
    int FFitForPass = 0;            // the last pass whose sum went to be fitted
    bool FAwaitingFit = false;      // the pass has ended; the fit decides what follows
    QThreadPool FFitThread;
};
