// Drawing cost of the acquisition chart: five passes and the average, each
// of N points, drawn side by side with an empty chart and a 1024-point chart;
// and the cost of adding points at the instrument's line rate with coalesced
// repaints. Prints ratios measured in this run; no pass/fail.

#include "Chart.h"
#include "RatioReporter.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <memory>

namespace {
constexpr int PassCount = 5;
constexpr int LinesPerSecond = 159;   // 19200 baud, 11 bits a byte, 11-byte data lines
const QColor PassColours[PassCount] = {QColor(255, 255, 0), QColor(255, 0, 255), QColor(0, 0, 128),
                                       QColor(128, 128, 0), QColor(255, 0, 0)};

double Spectrum(int i, int n, int pass)
{
    const double d = (i - n * 0.55) / (n * 0.03);
    return -300 * d / std::pow(1 + d * d, 2) + 8 * std::sin(i * 0.37 * (pass + 1));
}

// A shown 800 x 500 chart with five passes and the average, each of n points.
std::unique_ptr<TChart> AcquisitionChart(int n)
{
    auto chart = std::make_unique<TChart>();
    chart->BottomAxis().SetMinMax(-50, 50);
    for (int pass = 0; pass <= PassCount; ++pass) {
        TChartSeries& s = chart->AddSeries();
        s.Reserve(n);
        const QColor c = pass < PassCount ? PassColours[pass] : QColor(Qt::white);
        for (int i = 0; i < n; ++i)
            s.AddXY(-50 + 100.0 * i / std::max(1, n - 1), Spectrum(i, n, pass), c);
    }
    chart->resize(800, 500);
    chart->show();
    QCoreApplication::processEvents();
    chart->RepaintNow();
    return chart;
}

// One draw; unchanged data is drawn from the points picked at the last draw.
void BM_Draw(benchmark::State& state)
{
    const auto chart = AcquisitionChart(int(state.range(0)));
    for (auto _ : state)
        chart->RepaintNow();
}
BENCHMARK(BM_Draw)->Arg(0)->Arg(1024)->Arg(65535)->Unit(benchmark::kMillisecond);

// One draw after every series has changed: all points are gone through.
void BM_DrawChanged(benchmark::State& state)
{
    const auto chart = AcquisitionChart(int(state.range(0)));
    for (auto _ : state) {
        for (int s = 0; s < chart->SeriesCount(); ++s)
            chart->Series(s).SetYValue(0, chart->Series(s).YValue(0));
        chart->RepaintNow();
    }
}
BENCHMARK(BM_DrawChanged)->Arg(1024)->Arg(65535)->Unit(benchmark::kMillisecond);

// The last second of a pass arriving at line rate while four full passes
// and the average are shown: every point is added and marks the chart
// dirty; the chart is drawn once per display frame of that second.
void BM_LineRateSecond(benchmark::State& state)
{
    const int n = int(state.range(0));
    const auto chart = AcquisitionChart(n);
    TChartSeries& current = chart->Series(0);
    const int framesPerSecond = 1000 / TChart::FrameMs;
    const auto pointAt = [&](int i) {
        current.AddXY(-50 + 100.0 * i / (n - 1), Spectrum(i, n, 0), PassColours[0]);
    };
    for (auto _ : state) {
        state.PauseTiming();
        current.Clear();
        for (int i = 0; i < n - LinesPerSecond; ++i)
            pointAt(i);
        chart->RepaintNow();
        state.ResumeTiming();
        int drawn = 0;
        for (int line = 0; line < LinesPerSecond; ++line) {
            pointAt(n - LinesPerSecond + line);
            const int frame = (line + 1) * framesPerSecond / LinesPerSecond;
            for (; drawn < frame; ++drawn)
                chart->RepaintNow();
        }
    }
}
BENCHMARK(BM_LineRateSecond)->Arg(65535)->Unit(benchmark::kMillisecond);

// Adding one point alone: the vectors and the dirty mark, no drawing.
void BM_AddXY(benchmark::State& state)
{
    TChart chart;
    TChartSeries& s = chart.AddSeries();
    int i = 0;
    for (auto _ : state) {
        if (i == 65535) {
            s.Clear();
            i = 0;
        }
        s.AddXY(i, i % 500, PassColours[0]);
        ++i;
    }
}
BENCHMARK(BM_AddXY);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const auto& t = reporter.Seconds;
    const auto has = [&](const char* name) { return t.count(name) > 0; };
    std::printf("\nRatios (this run):\n");
    if (has("BM_Draw/0") && has("BM_Draw/1024") && has("BM_Draw/65535")) {
        const double empty = t.at("BM_Draw/0");
        std::printf("  draw 6 x 1024 points / empty chart:                %8.2f\n", t.at("BM_Draw/1024") / empty);
        std::printf("  draw 6 x 65535 points / empty chart:               %8.2f\n", t.at("BM_Draw/65535") / empty);
    }
    if (has("BM_DrawChanged/1024") && has("BM_DrawChanged/65535") && has("BM_Draw/0")) {
        const double changed = t.at("BM_DrawChanged/65535");
        std::printf("  draw 6 x 65535 changed points / empty chart:       %8.2f\n", changed / t.at("BM_Draw/0"));
        std::printf("  draw 6 x 65535 / 6 x 1024 changed points:          %8.2f\n",
                    changed / t.at("BM_DrawChanged/1024"));
        std::printf("  frame time / draw of 6 x 65535 changed points:     %8.2f\n", TChart::FrameMs * 1e-3 / changed);
    }
    if (has("BM_LineRateSecond/65535")) {
        const double second = t.at("BM_LineRateSecond/65535");
        std::printf("  busy share of one second at line rate:             %7.1f %%\n", 100 * second);
        if (has("BM_AddXY"))
            std::printf("  share of adding the points in that second:         %7.3f %%\n",
                        100 * t.at("BM_AddXY") * LinesPerSecond / second);
    }
    benchmark::Shutdown();
    return 0;
}
