#pragma once
// The simulated spectrometer: it takes the host's command bytes, keeps the
// parameters they set, runs passes, and sends its reply and data lines paced as
// a 19200 baud, 8N2 line carries them. Pure logic on a simulated clock
// (seconds): the caller feeds bytes, advances the clock and collects the output.

#include "InstrumentSettings.h"

#include <QByteArray>
#include <QString>
#include <deque>
#include <functional>
#include <limits>
#include <random>
#include <vector>

// Bytes that have arrived at the host by Time.
struct TOutputChunk {
    double Time;
    QByteArray Bytes;
};

class TInstrument {
public:
    static constexpr double ByteTime = 11.0 / 19200; // start, 8 data and 2 stop bits
    static constexpr double SetupTime = 0.2;         // from A to B
    static constexpr double ReturnTime = 0.2;        // from C to D: the field goes back
    static constexpr double AbortTime = 0.1;         // from F to D
    static constexpr double HeldInterval = 0.1;      // at most this between V lines on hold
    static constexpr double SplitPause = 0.02;       // between the parts of a split line
    static constexpr double Never = std::numeric_limits<double>::infinity();

    explicit TInstrument(const TInstrumentConfig& config = {});

    // Throws EMerilError for a setting out of range. A changed field source is
    // reported at once with an M line; points, sweep and sample apply from the next pass.
    void Configure(const TInstrumentConfig& config);
    const TInstrumentConfig& Config() const { return FConfig; }
    const TParameters& Parameters() const { return FParams; }
    bool Held() const { return FHeld; }
    bool PassActive() const { return FPhase != TPhase::Idle; }

    // Power-on state: default parameters, no pass, nothing queued or half received.
    void Reset();

    double Now() const { return FNow; }
    // Bytes from the host, received at Now().
    void Receive(QByteArrayView bytes);
    // Runs the instrument up to the given time (never backwards).
    void AdvanceTo(double time);
    // Time of the next internal step (a line produced or sent); Never when idle.
    double NextEventTime() const;
    // Everything sent since the last call, in order.
    std::vector<TOutputChunk> TakeOutput();

    // Queues an E line with the given 4-character code.
    void InjectError(const QByteArray& code);

    // Input that was ignored, with the reason.
    std::function<void(const QString&)> OnLog;
    // Every command that was accepted (without its CR).
    std::function<void(const QByteArray&)> OnCommand;
    // A line was queued for sending: whoever drives the clock may need to wake up.
    std::function<void()> OnQueued;

private:
    enum class TPhase { Idle, SettingUp, Sweeping, Closing, Returning };
    struct TQueuedLine {
        double Earliest;
        double PauseBefore; // line idle time before it starts
        QByteArray Bytes;
    };
    struct TPass {
        bool FreqSweep = false;
        double Range = 0;    // Gs or kHz
        int Points = 0;
        double Interval = 0; // s between points
        int Index = 0;       // points sent
    };

    void HandleCommand(const QByteArray& text);
    void Log(const QString& text) const;
    void StartPass(bool freqSweep);
    void Abort();
    void SetHold(bool hold);

    double GeneratorDue() const;
    void Generate();
    double EmitTime(const TQueuedLine& line) const;
    void Emit();
    void Send(QByteArray line, double earliest);
    QByteArray DataLine(int index);

    TInstrumentConfig FConfig;
    TParameters FParams;
    double FNow = 0;
    double FLineFree = 0;  // when the line has sent everything so far
    QByteArray FCommand;   // command being received
    bool FCommandOverlong = false;

    TPhase FPhase = TPhase::Idle;
    double FDue = 0;       // when the pass produces its next line
    bool FHeld = false;
    TPass FPass;
    int FPassCount = 0;    // passes started since power-on

    std::deque<TQueuedLine> FQueue;
    std::vector<TOutputChunk> FOutput;
    std::mt19937 FNoiseRandom, FFaultRandom;
    std::normal_distribution<double> FNormal;
};
