// Responsiveness of the processing window with the absorption view on: one
// cursor drag step (marker moved, the view redrawn, the measurement
// refreshed, its labels set) and one baseline button click (the view
// integrated again, both charts redrawn), for spectra of 1024 and 65535
// points side by side. Prints each as a share of one 16 ms display frame and
// the 65535/1024 ratio; no pass/fail.

#include "Chart.h"
#include "DataFile.h"
#include "RatioReporter.h"
#include "SampleSpectra.h"
#include "UDataProc.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QToolButton>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

namespace {

// The window shown with an n-point Lorentzian derivative loaded, the
// absorption view on and the given measurement pressed.
struct TLoadedWindow {
    QTemporaryDir Dir;
    TFDataProc Window;

    TLoadedWindow(int n, QToolButton* TFDataProc::*measurement)
    {
        const QString path = Dir.filePath(QStringLiteral("line.dcw"));
        WriteSpectrumFile(path, NmrHeader(), LorentzDerivative(n, n * 0.03, 390, 20));
        Window.resize(1280, 900);
        Window.show();
        QCoreApplication::processEvents();
        Window.LoadSpectrum(path);
        Window.AbsorptionTB->click();
        (Window.*measurement)->click();
        Window.M2RCTB->click();   // the right cursor follows the marker
        Draw();
    }
    void Draw()
    {
        Window.DSrc->RepaintNow();
        Window.DDst->RepaintNow();
    }
};

// The marker steps by one point as a drag moves it; the lower chart is drawn
// and the measurement on follows.
void DragStep(benchmark::State& state, QToolButton* TFDataProc::*measurement)
{
    TLoadedWindow w(int(state.range(0)), measurement);
    TMarker& marker = w.Window.DstMarker;
    const int start = marker.GetIndex();
    int step = 0;
    for (auto _ : state) {
        marker.SetIndex(start - (step++ % 64));
        w.Window.DDst->RepaintNow();
    }
}
void BM_DragStepIntegral(benchmark::State& state) { DragStep(state, &TFDataProc::IntegralTB); }
void BM_DragStepMoments(benchmark::State& state) { DragStep(state, &TFDataProc::M2AbsorptionTB); }
BENCHMARK(BM_DragStepIntegral)->Arg(1024)->Arg(65535)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DragStepMoments)->Arg(1024)->Arg(65535)->Unit(benchmark::kMillisecond);

// One baseline button click with the integral on: the absorption view is
// integrated again, both charts are drawn, the integral follows.
void BM_BaselineClick(benchmark::State& state)
{
    TLoadedWindow w(int(state.range(0)), &TFDataProc::IntegralTB);
    int step = 0;
    for (auto _ : state) {
        ((step++ % 2) ? w.Window.Line0UpTB : w.Window.Line0DnTB)->click();
        w.Draw();
    }
}
BENCHMARK(BM_BaselineClick)->Arg(1024)->Arg(65535)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    const double frame = TChart::FrameMs * 1e-3;
    for (const auto& [clock, t] : {std::pair{"wall clock", reporter.Seconds}, {"processor", reporter.CpuSeconds}}) {
        std::printf("\nShare of one %d ms frame, %-10s      1024 points   65535 points   65535/1024\n",
                    TChart::FrameMs, clock);
        for (const char* name : {"BM_DragStepIntegral", "BM_DragStepMoments", "BM_BaselineClick"}) {
            const std::string small = std::string(name) + "/1024", large = std::string(name) + "/65535";
            if (!t.count(small) || !t.count(large))
                continue;
            std::printf("  %-36s %10.3f %14.3f %12.1f\n", name + 3, t.at(small) / frame, t.at(large) / frame,
                        t.at(large) / t.at(small));
        }
    }
    benchmark::Shutdown();
    return 0;
}
