// The line-shape fit against the display: fitting a 1024-point and a
// 65535-point spectrum with each model (1 Gs modulation, some noise), in
// thread CPU time (the machine may be shared). "frame_share_1024" is the time
// of one fit over one 16 ms display frame; "seconds_65535" the time of the
// long fit, whose goal is under 1 s; "cost_ratio" the long over the short.

#include "LineFit.h"
#include "LineShapeModels.h"
#include "ThreadSeconds.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <random>

namespace {
constexpr double FrameSeconds = 0.016;

struct TSpectrumPoints {
    std::vector<double> X, Y;
};

// A line of the model's own shape over a 50 Gs sweep, with white noise.
TSpectrumPoints Spectrum(TFitModel model, int points)
{
    TSpectrumPoints s;
    for (int i = 0; i < points; ++i)
        s.X.push_back(-25 + 50.0 * i / (points - 1));
    s.Y.assign(size_t(points), 0.0);
    const TShapeKind kind = model == TFitModel::Lorentz ? TShapeKind::Lorentz
                            : model == TFitModel::Voigt ? TShapeKind::Voigt
                            : model == TFitModel::Pake  ? TShapeKind::Pake
                                                        : TShapeKind::Gauss;
    const TShape shape{kind, kind == TShapeKind::Pake ? 1.54 : 2.0, 0.4, 5.37, 1.0};
    const double weight = 1;
    AddShapeCurve(shape, 0.3, 0, {&weight, 1}, s.X, 4000, s.Y);
    std::mt19937 random(1);
    std::normal_distribution<double> noise(0, 2);
    for (double& y : s.Y)
        y += noise(random);
    return s;
}

double SecondsOf(const TSpectrumPoints& s, TFitModel model)
{
    TFitRequest request;
    request.Model = model;
    request.ModAmp = 1.0;
    request.Noise = 2;
    const double start = ThreadSeconds();
    const TFitResult r = FitLineShape(TLineView(s.X, s.Y), request);
    const double seconds = ThreadSeconds() - start;
    if (!r.Ok)
        qFatal("the %s fit failed: %s", qPrintable(FitModelName(model)), qPrintable(r.Failure));
    return seconds;
}

void BM_Fit(benchmark::State& state)
{
    const auto model = TFitModel(state.range(0));
    const TSpectrumPoints small = Spectrum(model, 1024), large = Spectrum(model, 65535);
    double seconds[2] = {};
    for (auto _ : state) {
        seconds[0] += SecondsOf(small, model);
        seconds[1] += SecondsOf(large, model);
    }
    const double n = double(state.iterations());
    state.SetLabel(FitModelName(model).toStdString());
    state.counters["frame_share_1024"] = seconds[0] / n / FrameSeconds;
    state.counters["seconds_65535"] = seconds[1] / n;
    state.counters["cost_ratio"] = seconds[1] / seconds[0];
}
} // namespace

BENCHMARK(BM_Fit)
    ->Arg(int(TFitModel::Gauss))
    ->Arg(int(TFitModel::Lorentz))
    ->Arg(int(TFitModel::Voigt))
    ->Arg(int(TFitModel::Pake))
    ->Arg(int(TFitModel::Auto))
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1);

BENCHMARK_MAIN();
