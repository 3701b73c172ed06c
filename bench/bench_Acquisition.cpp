// The main window's acquisition path, measured with the chart live:
//  - receive throughput: line assembly, dispatch, accumulation and adding the
//    point to its series, against the line rate of 159 data lines a second;
//  - a pass of 65535 points arriving at line rate while all five passes are
//    shown: the share of one core used and the event loop's lateness, side by
//    side with the idle window.
// Prints ratios measured in this run; no pass/fail.

#include "Chart.h"
#include "FCWHarness.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QRadioButton>
#include <QToolButton>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>

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
struct TLoad { double CpuShare; double MeanLateMs; double MaxLateMs; int Draws; };
TLoad Idle{}, Acquiring{};

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
    QElapsedTimer wall;
    QTimer probe, lines;
    double late = 0, maxLate = 0;
    int ticks = 0;
    qint64 last = 0;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = wall.nsecsElapsed();
        const double l = std::max(0.0, (now - last) * 1e-6 - 10.0);
        late += l;
        maxLate = std::max(maxLate, l);
        last = now;
        ++ticks;
    });
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
    const int drawsBefore = Rig->H.FCW().Fid->DrawCount();
    const double cpu0 = CpuSeconds();
    wall.start();
    probe.start(10);
    if (acquire)
        lines.start(5);
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = CpuSeconds() - cpu0;
    return {cpu / (wall.nsecsElapsed() * 1e-9), late / std::max(1, ticks), maxLate,
            Rig->H.FCW().Fid->DrawCount() - drawsBefore};
}

void BM_IdleWindow(benchmark::State& state)
{
    for (auto _ : state)
        Idle = RunFor(3.0, false);
}
BENCHMARK(BM_IdleWindow)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_AcquiringAtLineRate(benchmark::State& state)
{
    for (auto _ : state)
        Acquiring = RunFor(3.0, true);
}
BENCHMARK(BM_AcquiringAtLineRate)->Iterations(1)->Unit(benchmark::kMillisecond);

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
    if (Idle.Draws >= 0 && Acquiring.CpuShare > 0) {
        std::printf("  share of one core, idle window:                    %9.1f %%\n", 100 * Idle.CpuShare);
        std::printf("  share of one core, 65535-point pass at line rate:  %9.1f %%  (%d draws in 3 s)\n",
                    100 * Acquiring.CpuShare, Acquiring.Draws);
        std::printf("  event loop lateness, idle: mean %.2f ms, max %.2f ms\n", Idle.MeanLateMs, Idle.MaxLateMs);
        std::printf("  event loop lateness, acquiring: mean %.2f ms, max %.2f ms\n", Acquiring.MeanLateMs,
                    Acquiring.MaxLateMs);
    }
    benchmark::Shutdown();
    return 0;
}
