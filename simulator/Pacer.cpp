#include "Pacer.h"

TPacer::TPacer(TInstrument& instrument, Clock::time_point now)
    : FInstrument(instrument), FSimBase(instrument.Now()), FRealBase(now)
{
}

void TPacer::SetSpeed(double factor, Clock::time_point now)
{
    Sync(now);
    FSpeed = factor;
    FSimBase = FInstrument.Now();
    FRealBase = now;
}

double TPacer::SimTime(Clock::time_point now) const
{
    return FSimBase + std::chrono::duration<double>(now - FRealBase).count() * FSpeed;
}

void TPacer::Collect()
{
    for (auto& chunk : FInstrument.TakeOutput())
        FPending.push_back(std::move(chunk));
}

void TPacer::Sync(Clock::time_point now)
{
    if (!Unpaced())
        FInstrument.AdvanceTo(SimTime(now));
    Collect();
}

QByteArray TPacer::Take(Clock::time_point now, qsizetype budget)
{
    QByteArray bytes;
    const auto takeFront = [&] {
        bytes += FPending.front().Bytes;
        const bool partLine = !FPending.front().Bytes.endsWith('\r');
        FPending.pop_front();
        return partLine;
    };
    if (Unpaced()) {
        while (bytes.size() < budget) {
            if (FPending.empty()) {
                const double next = FInstrument.NextEventTime();
                if (next == TInstrument::Never)
                    break;
                FInstrument.AdvanceTo(next);
                Collect();
                continue;
            }
            if (takeFront())
                break;
        }
        return bytes;
    }
    Sync(now);
    while (!FPending.empty())
        if (takeFront())
            break;
    return bytes;
}

void TPacer::Discard(Clock::time_point now)
{
    Sync(now);
    FPending.clear();
}

std::optional<TPacer::Clock::duration> TPacer::UntilNext(Clock::time_point now) const
{
    if (!FPending.empty())
        return Clock::duration::zero();
    const double next = FInstrument.NextEventTime();
    if (next == TInstrument::Never)
        return std::nullopt;
    if (Unpaced())
        return Clock::duration::zero();
    const double wait = std::max(0.0, (next - SimTime(now)) / FSpeed);
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(wait));
}
