// Processing of a stored spectrum against the display: all measurements the
// window makes (baseline, both views, moments, widths, integral) of a
// 65535-point spectrum and of a 1024-point one, measured side by side in the
// same run, in thread CPU time (the machine may be shared). "frame_share_*"
// is that time over one 16 ms display frame, "cost_ratio" the 65535-point
// time over the 1024-point time (64 times the points: near 64 means linear),
// "with_u_*" the same with the moment uncertainties of meril-proc. The
// second benchmark runs meril-proc on 1000 stored 1024-point spectra:
// "files_per_s" (wall clock), and the same work in process for comparison.

#include "DataFile.h"
#include "SampleSpectra.h"
#include "SpectrumReport.h"
#include "ThreadSeconds.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>
#include <ctime>

namespace {
using Clock = std::chrono::steady_clock;
constexpr double FrameSeconds = 0.016;

// The file of a derivative line with some noise, `points` points.
QByteArray SpectrumBytes(int points)
{
    TDataHeader h = NmrHeader();
    h.SweepR = 50;
    h.ModAmp = QStringLiteral("1.00 Gs");
    std::vector<int32_t> sums;
    for (int i = 0; i < points; ++i) {
        const double x = -25 + 50.0 * i / (points - 1), u = x / 3.16;
        sums.push_back(int32_t(std::lround(-300 * u * std::exp(0.5 - u * u / 2) + 2 * std::sin(i * 12.9898))));
    }
    return SpectrumFileBytes(h, sums);
}

TSpectrum Spectrum(int points)
{
    return ParseSpectrum(SpectrumBytes(points));
}

double SecondsOf(const TSpectrum& spectrum, bool uncertainties)
{
    TReportOptions options;
    options.Uncertainties = uncertainties;
    const double start = ThreadSeconds();
    benchmark::DoNotOptimize(MeasureSpectrum(spectrum, options));
    return ThreadSeconds() - start;
}

void BM_AllMeasurements(benchmark::State& state)
{
    const TSpectrum small = Spectrum(1024), large = Spectrum(65535);
    double seconds[2][2] = {};  // [uncertainties][large]
    for (auto _ : state)
        for (const bool u : {false, true}) {
            seconds[u][0] += SecondsOf(small, u);
            seconds[u][1] += SecondsOf(large, u);
        }
    const double n = double(state.iterations());
    state.counters["frame_share_1024"] = seconds[0][0] / n / FrameSeconds;
    state.counters["frame_share_65535"] = seconds[0][1] / n / FrameSeconds;
    state.counters["cost_ratio"] = seconds[0][1] / seconds[0][0];
    state.counters["with_u_frame_share_65535"] = seconds[1][1] / n / FrameSeconds;
    state.counters["with_u_cost_ratio"] = seconds[1][1] / seconds[1][0];
}

QString MerilProc()
{
    const QString path = qEnvironmentVariable("MERIL_PROC");
    return path.isEmpty() ? QCoreApplication::applicationDirPath() + "/../app/meril-proc" : path;
}

void BM_MerilProcFiles(benchmark::State& state)
{
    QTemporaryDir dir;
    QStringList files;
    const QByteArray bytes = SpectrumBytes(1024);
    for (int i = 0; i < 1000; ++i) {
        files << dir.filePath(QStringLiteral("s%1.dcw").arg(i));
        QFile f(files.last());
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            state.SkipWithError("cannot write the spectra");
            return;
        }
    }
    double processSeconds = 0, inProcessSeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(MerilProc(), files);
        if (!process.waitForFinished(600000) || process.exitCode() != 0) {
            state.SkipWithError("meril-proc failed");
            return;
        }
        processSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        start = Clock::now();
        for (const QString& file : files)
            benchmark::DoNotOptimize(MeasureSpectrum(ReadSpectrumFile(file)));
        inProcessSeconds += std::chrono::duration<double>(Clock::now() - start).count();
    }
    const double n = double(state.iterations());
    state.counters["files_per_s"] = 1000 / (processSeconds / n);
    state.counters["in_process_files_per_s"] = 1000 / (inProcessSeconds / n);
}
} // namespace

BENCHMARK(BM_AllMeasurements)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_MerilProcFiles)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
