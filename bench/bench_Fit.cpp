// The line-shape fit against the display, made as meril-proc and the
// processing window make it (FitSpectrum: starts, noise, clipped points;
// then the checks of the spectrum with the fit): stored spectra of one line
// at 1024 and 65535 points with each model and auto, and hyperfine
// patterns (a 14N triplet, a quintet of two 14N, three groups as in
// Wurster's blue), in thread CPU time (the machine may be shared).
// "frames" is the time of one fit over one 16 ms display frame;
// "seconds_65535" the time of the long fit, whose goal is under 1 s.

#include "DataFile.h"
#include "LineShapeModels.h"
#include "SampleSpectra.h"
#include "SpectrumFit.h"
#include "SpectrumReport.h"
#include "ThreadSeconds.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <random>

namespace {
constexpr double FrameSeconds = 0.016;

// A stored field-sweep spectrum of `points` points over `range` Gs: lines
// of the shape at the given positions and weights, 1 Gs modulation, noise
// of 2 counts.
TSpectrum Stored(const TShape& shape, int points, double range, const std::vector<double>& positions,
                 const std::vector<double>& weights, double area)
{
    std::vector<double> x(static_cast<size_t>(points)), y(static_cast<size_t>(points), 0.0);
    for (int i = 0; i < points; ++i)
        x[size_t(i)] = -range / 2 + range * i / (points - 1);
    const TLineSum sum{ShapeValue, weights, y};
    SumLines(shape, positions, x, {&sum, 1});
    std::mt19937 random(1);
    std::normal_distribution<double> noise(0, 2);
    std::vector<int32_t> sums;
    for (const double v : y)
        sums.push_back(int32_t(std::lround(area * v + noise(random))));
    TDataHeader header = NmrHeader();
    header.SweepR = float(range);
    header.ModAmp = QStringLiteral("%1 Gs").arg(shape.ModAmp, 0, 'f', 2);
    return ParseSpectrum(SpectrumFileBytes(header, sums));
}

TSpectrum OneLine(TFitModel model, int points)
{
    const TShapeKind kind = model == TFitModel::Lorentz ? TShapeKind::Lorentz
                            : model == TFitModel::Voigt ? TShapeKind::Voigt
                            : model == TFitModel::Pake  ? TShapeKind::Pake
                                                        : TShapeKind::Gauss;
    return Stored({kind, kind == TShapeKind::Pake ? 1.54 : 2.0, 0.4, 5.37, 1.0}, points, 50, {0.3}, {1.0}, 4000);
}

// Seconds of thread CPU time of one fit and the checks that follow it.
double SecondsOf(const TSpectrum& s, const TSpectrumFitOptions& options)
{
    const double start = ThreadSeconds();
    const TBaseline baseline = ComputeBaseline(TSpectrumArrays(s).Y);
    const TFitResult r = FitSpectrum(s, baseline, options);
    benchmark::DoNotOptimize(SpectrumChecks(s, baseline, AutomaticMomentCursors(s, baseline), &r, options.Range));
    const double seconds = ThreadSeconds() - start;
    if (!r.Ok)
        qFatal("the %s fit failed: %s", qPrintable(FitModelName(options.Model)), qPrintable(r.Failure));
    return seconds;
}

void BM_OneLine(benchmark::State& state)
{
    const auto model = TFitModel(state.range(0));
    const TSpectrum small = OneLine(model, 1024), large = OneLine(model, 65535);
    double seconds[2] = {};
    for (auto _ : state) {
        seconds[0] += SecondsOf(small, {model});
        seconds[1] += SecondsOf(large, {model});
    }
    const double n = double(state.iterations());
    state.SetLabel(FitModelName(model).toStdString());
    state.counters["frames_1024"] = seconds[0] / n / FrameSeconds;
    state.counters["seconds_65535"] = seconds[1] / n;
}

// The lines of hyperfine groups as a test writes them: weights and offsets.
struct TPattern {
    const char* Name;
    THyperfineGroups Groups;
    std::vector<double> Couplings;
    double Width;
    int Points;
    double Range;
};

const TPattern Patterns[] = {
    {"14N triplet", {{1, 1}}, {4.0}, 0.8, 1024, 40},
    {"two 14N quintet", {{2, 1}}, {4.0}, 0.8, 1024, 40},
    {"Wurster's blue, 3 groups", {{2, 1}, {12, 0.5}, {4, 0.5}}, {6.87, 7.02, 1.96}, 0.19, 2401, 120},
};

void BM_Hyperfine(benchmark::State& state)
{
    const TPattern& p = Patterns[state.range(0)];
    const THyperfineLines lines = HyperfineLines(p.Groups);
    std::vector<double> positions(lines.Weights.size(), 0.4);
    for (size_t g = 0; g < p.Groups.size(); ++g)
        for (size_t k = 0; k < positions.size(); ++k)
            positions[k] += lines.Offsets[g][k] * p.Couplings[g];
    const TSpectrum s = Stored({TShapeKind::Lorentz, p.Width, 0, 0, 0.25}, p.Points, p.Range, positions,
                               lines.Weights, 3000);
    double seconds = 0;
    for (auto _ : state)
        seconds += SecondsOf(s, {TFitModel::Lorentz, p.Groups});
    state.SetLabel(p.Name);
    state.counters["frames"] = seconds / double(state.iterations()) / FrameSeconds;
}
} // namespace

BENCHMARK(BM_OneLine)
    ->Arg(int(TFitModel::Gauss))
    ->Arg(int(TFitModel::Lorentz))
    ->Arg(int(TFitModel::Voigt))
    ->Arg(int(TFitModel::Pake))
    ->Arg(int(TFitModel::Auto))
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1);

BENCHMARK(BM_Hyperfine)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MinTime(1);

BENCHMARK_MAIN();
