// The main window's acquisition path, measured with the chart live:
//  - receive throughput: line assembly, dispatch, accumulation and adding the
//    point to its series, against the line rate of 159 data lines a second;
//  - a pass of 65535 points arriving at line rate while all five passes are
//    shown: the share of one core used and the event loop's lateness, side by
//    side with the idle window and with the same pass drawn the old way (the
//    whole chart redrawn for every change). The three are measured in
//    interleaved rounds, so that load from other programs falls on all alike;
//  - passes of 1024 points at line rate in a Single run, with "Stop when
//    known" (the sum fitted after every pass, in the background) and without,
//    in interleaved rounds long enough to hold a pass's end; and the fit of
//    one such sum against the time of a pass.
// Prints ratios measured in this run; no pass/fail.

#include "Chart.h"
#include "FCWHarness.h"
#include "KnownStopPanel.h"
#include "LiveFit.h"
#include "SampleSpectra.h"
#include "UpDown.h"

#include <QApplication>
#include <qcustomplot.h>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QRadioButton>
#include <QToolButton>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <functional>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int LinesPerSecond = 159;  // 19200 baud, 11 bits a byte, 11-byte V lines
constexpr int Points = 65535;

double CpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

QByteArray DataLine(int i, int points = Points)
{
    const double d = (i - points * 0.5) / (points * 0.02);
    const auto raw = int32_t(-4'000'000 * d / ((1 + d * d) * (1 + d * d)) + (i % 7) * 3000);
    return QByteArray("V ") + QByteArray::number(uint32_t(raw), 16).rightJustified(8, '0').toUpper() + '\r';
}

// A connected main window, all five passes shown, in the middle of a
// 65535-point pass after four full ones.
struct TRig {
    TFCWHarness H{TFCWHarness::ScriptedLink};
    int Next = 0;
    TRig()
    {
        H.FCW().resize(1280, 800);
        H.ConnectScripted();
        TFCWHarness::Choose(H.FCW().CurrDiagramCBox, 4);
        H.FCW().LoopRB->click();
        H.FCW().StartToolB->click();
        for (int pass = 0; pass < 5; ++pass) {
            NewPass();
            if (pass < 4) {
                Feed(Points);
                H.Feed("C\rD\r");
            }
        }
    }
    void NewPass()
    {
        H.Script().Push("AFFFF\rB\r");
        H.Spectrometer().ReadReplies();
        Next = 0;
    }
    // Delivers count V lines to the receive handler.
    void Feed(int count)
    {
        QByteArray block;
        for (int k = 0; k < count; ++k) {
            if (Next == Points) {
                H.Script().Push(block);
                H.Spectrometer().ReadReplies();
                block.clear();
                NewPass();
            }
            block += DataLine(Next++);
        }
        H.Script().Push(block);
        H.Spectrometer().ReadReplies();
    }
};

TRig* Rig = nullptr;
double ReceiveLinesPerSecond = 0;

// A connected window measuring 1024-point passes of a Single run of 99 at
// line rate, with "Stop when known" on (ΔBpp to ±0.001 %, never reached:
// every pass is fitted) or off. A pass starts when the run asks for it.
struct TPassRig {
    static constexpr int PassPoints = 1024;
    TFCWHarness H{TFCWHarness::ScriptedLink};
    int Next = 0;
    bool AwaitingStart = false;
    explicit TPassRig(bool known)
    {
        H.FCW().resize(1280, 800);
        H.ConnectScripted();
        H.FCW().AccUpDown->ClickTo(99);
        if (known) {
            TKnownStopPanel& k = *H.FCW().KnownPanel;
            k.KnownCB->click();
            k.QuantityBox->setCurrentIndex(1);   // ΔBpp
            k.UncertaintyEdit->setValue(0.001);
            k.ModelBox->setCurrentText(QStringLiteral("gauss"));
        }
        H.FCW().StartToolB->click();
        Begin();
    }
    void Begin()
    {
        H.Script().ClearSent();
        H.Script().Push("A0400\rB\r");
        H.Spectrometer().ReadReplies();
        Next = 0;
    }
    void Feed(int count)
    {
        QByteArray block;
        for (int k = 0; k < count; ++k) {
            if (AwaitingStart) {
                if (!H.Script().Sent().contains('F'))
                    break;   // the run decides after the fit of the pass
                H.Script().Push(block);
                H.Spectrometer().ReadReplies();
                block.clear();
                AwaitingStart = false;
                Begin();
            }
            block += DataLine(Next++, PassPoints);
            if (Next == PassPoints) {
                block += "C\rD\r";
                AwaitingStart = true;
            }
        }
        H.Script().Push(block);
        H.Spectrometer().ReadReplies();
    }
};
TPassRig *PlainRig = nullptr, *KnownRig = nullptr;
double FitSeconds = 0;

// Load of the process over one or more periods.
struct TLoad {
    double Cpu = 0, Wall = 0;          // seconds
    double LateMs = 0, MaxLateMs = 0;  // probe ticks' lateness, summed and worst
    int Ticks = 0, Draws = 0, WholeDraws = 0;
    std::vector<double> Shares;        // share of one core in each period

    double CpuShare() const { return Wall > 0 ? Cpu / Wall : 0; }
    double MeanLateMs() const { return LateMs / std::max(1, Ticks); }
    void Add(const TLoad& period)
    {
        Cpu += period.Cpu;
        Wall += period.Wall;
        LateMs += period.LateMs;
        MaxLateMs = std::max(MaxLateMs, period.MaxLateMs);
        Ticks += period.Ticks;
        Draws += period.Draws;
        WholeDraws += period.WholeDraws;
        Shares.push_back(period.CpuShare());
    }
};
TLoad Idle, Layered, Whole;

// Lines through the receive handler, with the chart's coalesced draws.
void BM_ReceivePath(benchmark::State& state)
{
    const int block = int(state.range(0));
    for (auto _ : state) {
        Rig->Feed(block);
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * block);
}
BENCHMARK(BM_ReceivePath)->Arg(159)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Runs the event loop for `seconds` with a 10 ms probe timer; lines arrive at
// line rate through `feed` when one is given; `chart` counts the draws.
TLoad RunFor(double seconds, const std::function<void(int)>& feed, TChart& chart)
{
    TLoad load;
    QElapsedTimer wall;
    QTimer probe, lines;
    qint64 last = 0;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = wall.nsecsElapsed();
        const double l = std::max(0.0, (now - last) * 1e-6 - 10.0);
        load.LateMs += l;
        load.MaxLateMs = std::max(load.MaxLateMs, l);
        last = now;
        ++load.Ticks;
    });
    const QMetaObject::Connection counter =
        QObject::connect(chart.Plot(), &QCustomPlot::afterReplot, [&] { ++load.WholeDraws; });
    // Lines come in small bursts as the serial driver hands them over.
    int due = 0;
    lines.setTimerType(Qt::PreciseTimer);
    QObject::connect(&lines, &QTimer::timeout, [&] {
        const int shouldHave = int(wall.elapsed() * LinesPerSecond / 1000);
        if (shouldHave > due) {
            feed(shouldHave - due);
            due = shouldHave;
        }
    });
    const int drawsBefore = chart.DrawCount();
    const double cpu0 = CpuSeconds();
    wall.start();
    probe.start(10);
    if (feed)
        lines.start(5);
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
    load.Cpu = CpuSeconds() - cpu0;
    load.Wall = wall.nsecsElapsed() * 1e-9;
    load.Draws = chart.DrawCount() - drawsBefore;
    QObject::disconnect(counter);
    return load;
}

constexpr int Rounds = 3;
constexpr double RoundSeconds = 2.0;

// Rounds of: the idle window, the pass drawn in layers, the pass drawn whole.
void BM_IdleLayeredWhole(benchmark::State& state)
{
    TChart& chart = *Rig->H.FCW().Fid;
    const auto feed = [](int n) { Rig->Feed(n); };
    for (auto _ : state)
        for (int round = 0; round < Rounds; ++round) {
            chart.SetLayeredDrawing(true);
            Idle.Add(RunFor(RoundSeconds, nullptr, chart));
            Layered.Add(RunFor(RoundSeconds, feed, chart));
            chart.SetLayeredDrawing(false);
            Whole.Add(RunFor(RoundSeconds, feed, chart));
        }
    chart.SetLayeredDrawing(true);
}
BENCHMARK(BM_IdleLayeredWhole)->Iterations(1)->Unit(benchmark::kMillisecond);

// Rounds of 1024-point passes with and without the fit after each pass; a
// round holds more than one pass's 6.4 s, so each has a pass's end in it.
constexpr double PassRoundSeconds = 8.0;
TLoad Plain, Known;

void BM_PassesWithAndWithoutTheLiveFit(benchmark::State& state)
{
    for (auto _ : state)
        for (int round = 0; round < Rounds; ++round) {
            Plain.Add(RunFor(PassRoundSeconds, [](int n) { PlainRig->Feed(n); }, *PlainRig->H.FCW().Fid));
            Known.Add(RunFor(PassRoundSeconds, [](int n) { KnownRig->Feed(n); }, *KnownRig->H.FCW().Fid));
        }
}
BENCHMARK(BM_PassesWithAndWithoutTheLiveFit)->Iterations(1)->Unit(benchmark::kMillisecond);

// The fit of one 1024-point sum, as the run makes it after a pass.
void BM_LiveFit(benchmark::State& state)
{
    const std::vector<int32_t> sums = LorentzDerivative(TPassRig::PassPoints, 40);
    TKnownTarget target;
    target.Quantity = TKnownQuantity::PpWidth;
    target.Model = TFitModel::Gauss;
    for (auto _ : state)
        benchmark::DoNotOptimize(FitKnown(NmrHeader(), sums, 1, target));
}
BENCHMARK(BM_LiveFit)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void PrintLoad(const char* name, const TLoad& load)
{
    std::printf("  %-44s %5.1f %%  (rounds:", name, 100 * load.CpuShare());
    for (const double share : load.Shares)
        std::printf(" %.1f", 100 * share);
    std::printf("; draws %.0f/s, whole-chart draws %.0f/s)\n", load.Draws / load.Wall, load.WholeDraws / load.Wall);
}

void PrintLateness(const char* name, const TLoad& load)
{
    std::printf("  event loop lateness, %-22s mean %.2f ms, max %.2f ms\n", name, load.MeanLateMs(), load.MaxLateMs);
}

class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.benchmark_name().rfind("BM_ReceivePath", 0) == 0 && run.iterations > 0)
                ReceiveLinesPerSecond = double(run.iterations) * 159 / run.real_accumulated_time;
            else if (run.benchmark_name().rfind("BM_LiveFit", 0) == 0 && run.iterations > 0)
                FitSeconds = run.real_accumulated_time / double(run.iterations);
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TRig rig;
    Rig = &rig;
    TPassRig plain(false), known(true);
    PlainRig = &plain;
    KnownRig = &known;
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatios (this run):\n");
    if (ReceiveLinesPerSecond > 0)
        std::printf("  receive path, lines/s over the line rate (159/s):   %10.0f x\n",
                    ReceiveLinesPerSecond / LinesPerSecond);
    if (Layered.Wall > 0 && Whole.Wall > 0) {
        std::printf("  share of one core, %d interleaved rounds of %.0f s each:\n", Rounds, RoundSeconds);
        PrintLoad("idle window", Idle);
        PrintLoad("65535-point pass at line rate, in layers", Layered);
        PrintLoad("the same, whole chart each time (old way)", Whole);
        if (Whole.CpuShare() > 0)
            std::printf("  in layers over whole chart:                  %6.2f\n",
                        Layered.CpuShare() / Whole.CpuShare());
        PrintLateness("idle:", Idle);
        PrintLateness("acquiring in layers:", Layered);
        PrintLateness("acquiring, whole chart:", Whole);
    }
    if (Plain.Wall > 0 && Known.Wall > 0) {
        std::printf("  share of one core, 1024-point passes at line rate, %d interleaved rounds of %.0f s each:\n",
                    Rounds, PassRoundSeconds);
        PrintLoad("Single run", Plain);
        PrintLoad("the same, Stop when known (a fit per pass)", Known);
        std::printf("  the live fit adds %.2f %% of one core; with it the display takes %.1f %%\n",
                    100 * (Known.CpuShare() - Plain.CpuShare()), 100 * Known.CpuShare());
        std::printf("  passes fitted: %d in the rounds with the fit\n", int(KnownRig->H.Run().KnownPoints().size()));
    }
    if (FitSeconds > 0)
        std::printf("  one fit of a 1024-point sum over the %.1f s of its pass:      %10.4f\n",
                    double(TPassRig::PassPoints) / LinesPerSecond, FitSeconds * LinesPerSecond / TPassRig::PassPoints);
    benchmark::Shutdown();
    return 0;
}
