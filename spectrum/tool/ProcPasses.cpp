#include "ProcPasses.h"

#include "Errors.h"
#include "PassSet.h"
#include "ProcReport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <cmath>

namespace {

QJsonValue DeviationJson(double d)
{
    // JSON has no infinity: a pass unlike identical others has no finite figure.
    return std::isfinite(d) ? QJsonValue(d) : QJsonValue(QJsonValue::Null);
}

// Reads a folder and names each file left out on stderr; none when it cannot be read.
std::optional<TPassSet> ReadFolder(const QString& folder, const TPassOutput& output)
{
    try {
        TPassSet set = ReadPassFolder(folder);
        for (const TPassProblem& p : set.Problems)
            output.Err(QStringLiteral("meril-proc: %1: left out: %2")
                           .arg(QDir::toNativeSeparators(QDir(set.Folder).filePath(p.FileName)), p.Reason));
        if (set.Passes.empty())
            throw EFileError(QStringLiteral("no readable pass"));
        return set;
    } catch (const std::exception& e) {
        output.Err(QStringLiteral("meril-proc: %1: %2").arg(QDir::toNativeSeparators(folder), ErrorText(e)));
        return std::nullopt;
    }
}

// Runs `work` on each folder that can be read, with the deviations of its
// passes; false when any folder failed or `work` said so.
bool ForEachFolder(const QStringList& folders, const TPassOutput& output,
                   const std::function<bool(const TPassSet&, const std::vector<double>&)>& work)
{
    bool allDone = true;
    for (const QString& folder : folders) {
        const auto set = ReadFolder(folder, output);
        if (!set)
            allDone = false;
        else if (!work(*set, PassDeviations(set->Passes)))
            allDone = false;
    }
    return allDone;
}

} // namespace

bool MeasurePasses(const QStringList& folders, const TReportOptions& options, const TPassOutput& output)
{
    return ForEachFolder(folders, output, [&](const TPassSet& set, const std::vector<double>& deviations) {
        bool allDone = set.Problems.empty();
        for (size_t k = 0; k < set.Passes.size(); ++k) {
            const QString file = QDir(set.Folder).filePath(set.Passes[k].FileName);
            try {
                const TSpectrum spectrum = ReadSpectrumFile(file);
                TReportFields report = ReportJson(file, spectrum, MeasureSpectrum(spectrum, options));
                report.Fields.insert(report.Fields.begin() + 1,
                                     {{QStringLiteral("pass"), set.Passes[k].Number},
                                      {QStringLiteral("deviation"), DeviationJson(deviations[k])},
                                      {QStringLiteral("suspect"), deviations[k] > DefaultSuspectThreshold}});
                output.Out(report.JsonLine());
            } catch (const std::exception& e) {
                output.Err(QStringLiteral("meril-proc: %1: %2").arg(QDir::toNativeSeparators(file), ErrorText(e)));
                allDone = false;
            }
        }
        return allDone;
    });
}

QString RejectOutputPath(const QString& folder, const double limit)
{
    const QString spectrum = SpectrumOfPassFolder(folder);
    const QFileInfo f(spectrum);
    return QDir(f.path()).filePath(QStringLiteral("%1-reject%2.dcw").arg(f.completeBaseName(), QString::number(limit)));
}

bool RejectPasses(const QStringList& folders, const double limit, const TPassOutput& output)
{
    return ForEachFolder(folders, output, [&](const TPassSet& set, const std::vector<double>& deviations) {
        std::vector<bool> kept(set.Passes.size());
        QJsonArray leftOut, problems;
        int count = 0;
        for (size_t k = 0; k < kept.size(); ++k) {
            kept[k] = deviations[k] <= limit;
            count += kept[k] ? 1 : 0;
            if (!kept[k])
                leftOut.append(QJsonObject{{QStringLiteral("pass"), set.Passes[k].FileName},
                                           {QStringLiteral("deviation"), DeviationJson(deviations[k])}});
        }
        for (const TPassProblem& p : set.Problems)
            problems.append(QJsonObject{{QStringLiteral("pass"), p.FileName}, {QStringLiteral("reason"), p.Reason}});
        const QString path = RejectOutputPath(set.Folder, limit);
        try {
            if (count == 0)
                throw EFileError(QStringLiteral("every pass deviates by more than %1").arg(limit));
            if (count > MaxStoredAcc)
                throw EFileError(TooManyPassesText(count) + QStringLiteral(" Give a lower limit than %1.").arg(limit));
            if (QFileInfo::exists(path))
                throw EFileError(QStringLiteral("\"%1\" exists; it is not replaced").arg(QDir::toNativeSeparators(path)));
            WriteSpectrumFile(path, SumHeader(set.Header(), count), SumOfPasses(set.Passes, kept));
        } catch (const std::exception& e) {
            output.Err(QStringLiteral("meril-proc: %1: %2").arg(QDir::toNativeSeparators(set.Folder), ErrorText(e)));
            return false;
        }
        TReportFields line;
        line.Fields = {{QStringLiteral("folder"), QDir::toNativeSeparators(set.Folder)},
                       {QStringLiteral("written"), QDir::toNativeSeparators(path)},
                       {QStringLiteral("acc"), count},
                       {QStringLiteral("left_out"), leftOut},
                       {QStringLiteral("unreadable"), problems}};
        output.Out(line.JsonLine());
        // A pass file left out is a file that failed, as with --passes.
        return set.Problems.empty();
    });
}
