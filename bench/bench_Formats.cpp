// meril-proc on the spectra of other programs beside its own: 1000 files of
// 1024 points in each format (.dcw, BES3T, ESP, JCAMP-DX plain and
// compressed, two-column text), measured side by side in one run.
// "<format>_files_per_s" is meril-proc's rate (wall clock, the whole batch in
// one process), "<format>_vs_dcw" that rate over the .dcw rate, and
// "<format>_read_share" the share of the in-process time spent reading the
// file rather than measuring it.

#include "Bes3tFile.h"
#include "DataFile.h"
#include "JcampDx.h"
#include "SampleSpectra.h"
#include "SpectrumFiles.h"
#include "SpectrumReport.h"
#include "TextTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cmath>

namespace {
using Clock = std::chrono::steady_clock;
constexpr int Files = 1000;

// An ESR derivative line with a little noise, as the program stores it.
TSpectrum Line()
{
    std::vector<int32_t> sums;
    for (int i = 0; i < 1024; ++i) {
        const double u = (i - 512) / 40.0;
        sums.push_back(int32_t(std::lround(-300 * u * std::exp(0.5 - u * u / 2) + 2 * std::sin(i * 12.9898))));
    }
    return ParseSpectrum(SpectrumFileBytes(EsrHeader(), sums));
}

// The files of one spectrum in a format: (extension, bytes) of each file.
std::vector<std::pair<QString, QByteArray>> FormatFiles(const QString& format, const TSpectrum& s)
{
    if (format == QLatin1String("dcw"))
        return {{QStringLiteral("dcw"), SpectrumFileBytes(s.Header, s.Sums)}};
    if (format == QLatin1String("bes3t")) {
        const TBes3tBytes b = Bes3tBytes(s);
        return {{QStringLiteral("DSC"), b.Dsc}, {QStringLiteral("DTA"), b.Dta}};
    }
    if (format == QLatin1String("esp")) {
        QByteArray spc(qsizetype(s.Points.size()) * 4, '\0');
        for (size_t i = 0; i < s.Points.size(); ++i)
            qToLittleEndian(float(s.Points[i].y()), spc.data() + 4 * i);
        const QByteArray par = "DOS  Format\rANZ 1024\rGST 3365\rGSI 50\rJUN G\rMF  9.5\rRMA 1\rJSD 1\r";
        return {{QStringLiteral("par"), par}, {QStringLiteral("spc"), spc}};
    }
    if (format.startsWith(QLatin1String("jcamp")))
        return {{QStringLiteral("jdx"), JcampDxBytes(s, format == QLatin1String("jcamp") ? TJcampForm::Affn : TJcampForm::DifDup)}};
    const TSpectrumArrays a(s);
    return {{QStringLiteral("txt"), "Field [G]  Intensity\r\n" + TextTableBytes(a.X, a.Y)}};
}

QString MerilProc()
{
    const QString path = qEnvironmentVariable("MERIL_PROC");
    return path.isEmpty() ? QCoreApplication::applicationDirPath() + "/../app/meril-proc" : path;
}

void BM_FormatsInBatch(benchmark::State& state)
{
    const QStringList formats{"dcw", "bes3t", "esp", "jcamp", "jcamp-dif", "text"};
    QTemporaryDir dir;
    const TSpectrum line = Line();
    std::vector<QStringList> batches;
    for (const QString& format : formats) {
        QStringList opened;
        QDir(dir.path()).mkdir(format);
        for (int i = 0; i < Files; ++i)
            for (const auto& [extension, bytes] : FormatFiles(format, line)) {
                const QString path = dir.filePath(QStringLiteral("%1/s%2.%3").arg(format).arg(i).arg(extension));
                QFile f(path);
                if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
                    state.SkipWithError("cannot write the spectra");
                    return;
                }
                if (opened.size() == i)
                    opened << path;   // the first file of a pair
            }
        batches.push_back(opened);
    }
    std::vector<double> processSeconds(formats.size()), readSeconds(formats.size()), measureSeconds(formats.size());
    for (auto _ : state)
        for (size_t k = 0; k < formats.size(); ++k) {
            auto start = Clock::now();
            QProcess process;
            process.setStandardOutputFile(QProcess::nullDevice());
            process.start(MerilProc(), batches[k]);
            if (!process.waitForFinished(600000) || process.exitCode() != 0) {
                state.SkipWithError(qPrintable(QStringLiteral("meril-proc failed on ") + formats[k]));
                return;
            }
            processSeconds[k] += std::chrono::duration<double>(Clock::now() - start).count();
            for (const QString& file : batches[k]) {
                start = Clock::now();
                const TSpectrum s = ReadAnySpectrumFile(file);
                const auto read = Clock::now();
                benchmark::DoNotOptimize(MeasureSpectrum(s));
                readSeconds[k] += std::chrono::duration<double>(read - start).count();
                measureSeconds[k] += std::chrono::duration<double>(Clock::now() - read).count();
            }
        }
    const double n = double(state.iterations());
    for (size_t k = 0; k < formats.size(); ++k) {
        const std::string name = formats[k].toStdString();
        state.counters[name + "_files_per_s"] = Files / (processSeconds[k] / n);
        state.counters[name + "_vs_dcw"] = processSeconds[0] / processSeconds[k];
        state.counters[name + "_read_share"] = readSeconds[k] / (readSeconds[k] + measureSeconds[k]);
    }
}
} // namespace

BENCHMARK(BM_FormatsInBatch)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
