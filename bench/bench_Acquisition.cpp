// The main window's acquisition path, measured with the chart live:
//  - receive throughput: line assembly, dispatch, accumulation and adding the
//    point to its series, against the line rate of 159 data lines a second;
//  - a pass of 65535 points arriving at line rate while all five passes are
//    shown: the share of one core used and the event loop's lateness, side by
//    side with the idle window and with the same pass drawn the old way (the
//    whole chart redrawn for every change). The three are measured in
//    interleaved rounds, so that load from other programs falls on all alike.
// Prints ratios measured in this run; no pass/fail.

#include "Chart.h"
#include "FCWHarness.h"

#include <QApplication>
#include <qcustomplot.h>
#include <QComboBox>
#include <QElapsedTimer>
#include <QRadioButton>
#include <QToolButton>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <algorithm>
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

QByteArray DataLine(int i)
{
    const double d = (i - Points * 0.5) / (Points * 0.02);
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
        H.FCW().CurrDiagramCBox->setCurrentIndex(4);
        H.FCW().CurrDiagramCBoxChange();
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
        H.FCW().ComPort1RxFlag();
        Next = 0;
    }
    // Delivers count V lines to the receive handler.
    void Feed(int count)
    {
        QByteArray block;
        for (int k = 0; k < count; ++k) {
            if (Next == Points) {
                H.Script().Push(block);
                H.FCW().ComPort1RxFlag();
                block.clear();
                NewPass();
            }
            block += DataLine(Next++);
        }
        H.Script().Push(block);
        H.FCW().ComPort1RxFlag();
    }
};

TRig* Rig = nullptr;
double ReceiveLinesPerSecond = 0;

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
// line rate when `acquire`.
TLoad RunFor(double seconds, bool acquire)
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
    TChart& chart = *Rig->H.FCW().Fid;
    const QMetaObject::Connection counter =
        QObject::connect(chart.Plot(), &QCustomPlot::afterReplot, [&] { ++load.WholeDraws; });
    // Lines come in small bursts as the serial driver hands them over.
    int due = 0;
    lines.setTimerType(Qt::PreciseTimer);
    QObject::connect(&lines, &QTimer::timeout, [&] {
        const int shouldHave = int(wall.elapsed() * LinesPerSecond / 1000);
        if (shouldHave > due) {
            Rig->Feed(shouldHave - due);
            due = shouldHave;
        }
    });
    const int drawsBefore = chart.DrawCount();
    const double cpu0 = CpuSeconds();
    wall.start();
    probe.start(10);
    if (acquire)
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
    for (auto _ : state)
        for (int round = 0; round < Rounds; ++round) {
            chart.SetLayeredDrawing(true);
            Idle.Add(RunFor(RoundSeconds, false));
            Layered.Add(RunFor(RoundSeconds, true));
            chart.SetLayeredDrawing(false);
            Whole.Add(RunFor(RoundSeconds, true));
        }
    chart.SetLayeredDrawing(true);
}
BENCHMARK(BM_IdleLayeredWhole)->Iterations(1)->Unit(benchmark::kMillisecond);

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
    benchmark::Shutdown();
    return 0;
}
