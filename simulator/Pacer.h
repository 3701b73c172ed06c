#pragma once
// Drives an instrument from a real clock: at a speed factor of real time (1 is
// real time), or unpaced (0): as fast as the reader takes the output, in
// bounded chunks.

#include "Instrument.h"

#include <chrono>
#include <deque>
#include <optional>

class TPacer {
public:
    using Clock = std::chrono::steady_clock;

    TPacer(TInstrument& instrument, Clock::time_point now);

    void SetSpeed(double factor, Clock::time_point now);
    bool Unpaced() const { return FSpeed <= 0; }

    // Brings the instrument's clock to `now`, so that a command is received at
    // the right moment. Output produced on the way waits for Take.
    void Sync(Clock::time_point now);
    // The bytes that have arrived by `now`; unpaced, up to about `budget` bytes.
    // A read ends after a part of a line (a line without its CR), so a split
    // line arrives in two reads.
    QByteArray Take(Clock::time_point now, qsizetype budget);
    // Drops everything sent up to `now` (nobody was listening).
    void Discard(Clock::time_point now);
    // Real time until Take has something; nullopt when nothing is scheduled.
    std::optional<Clock::duration> UntilNext(Clock::time_point now) const;

private:
    double SimTime(Clock::time_point now) const;
    void Collect();

    TInstrument& FInstrument;
    double FSpeed = 1;
    double FSimBase = 0;
    Clock::time_point FRealBase;
    std::deque<TOutputChunk> FPending;
};
