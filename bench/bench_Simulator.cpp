// How much faster than the serial line the simulator produces a 65535-point
// pass when it runs unpaced. "line_s" is the time a 19200 baud, 8N2 line needs
// for the pass's bytes; "line_ratio" is that time over the simulator's.

#include "Instrument.h"
#include "Pacer.h"

#include <benchmark/benchmark.h>
#include <chrono>

namespace {
constexpr int Points = 65535;

TInstrument MakeInstrument(TSample sample)
{
    TInstrumentConfig config;
    config.Sample = sample;
    config.Points = Points;
    TInstrument instrument(config);
    instrument.Receive("H005\rB10802\r"); // 50 Gs sweep through the line
    return instrument;
}

// Runs one pass per iteration and reports the line's time over the simulator's.
template <class Pass>
void MeasurePasses(benchmark::State& state, Pass&& pass)
{
    using Clock = std::chrono::steady_clock;
    Clock::duration spent{};
    qint64 bytes = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        bytes = pass();
        spent += Clock::now() - start;
    }
    const double simulatorSeconds = std::chrono::duration<double>(spent).count() / double(state.iterations());
    state.counters["line_s"] = bytes * TInstrument::ByteTime;
    state.counters["line_ratio"] = bytes * TInstrument::ByteTime / simulatorSeconds;
}

// The instrument alone, on its own clock.
void BM_InstrumentPass(benchmark::State& state, TSample sample)
{
    TInstrument instrument = MakeInstrument(sample);
    MeasurePasses(state, [&] {
        qint64 bytes = 0;
        instrument.Receive("F0\r");
        for (double next; (next = instrument.NextEventTime()) != TInstrument::Never;) {
            instrument.AdvanceTo(next);
            for (const auto& chunk : instrument.TakeOutput())
                bytes += chunk.Bytes.size();
        }
        return bytes;
    });
}

// Through the pacer, in the chunks the in-process link hands over.
void BM_UnpacedPacerPass(benchmark::State& state, TSample sample)
{
    TInstrument instrument = MakeInstrument(sample);
    TPacer pacer(instrument, TPacer::Clock::now());
    pacer.SetSpeed(0, TPacer::Clock::now());
    MeasurePasses(state, [&] {
        qint64 bytes = 0;
        instrument.Receive("F0\r");
        for (QByteArray chunk; !(chunk = pacer.Take(TPacer::Clock::now(), 4096)).isEmpty();)
            bytes += chunk.size();
        return bytes;
    });
}
} // namespace

BENCHMARK_CAPTURE(BM_InstrumentPass, liquid_h, TSample::LiquidH)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_InstrumentPass, solid_h, TSample::SolidH)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_InstrumentPass, crystal_h, TSample::CrystalH)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UnpacedPacerPass, liquid_h, TSample::LiquidH)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_UnpacedPacerPass, solid_h, TSample::SolidH)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
