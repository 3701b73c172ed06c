// meril-proc: measures stored spectra without a display, as the processing
// window would with its automatic cursors; the program's .dcw files and the
// spectra of other programs (BES3T, ESP, JCAMP-DX, text). One JSON object per file on
// stdout (or a CSV table), one line per failed file on stderr.
// Exit status: 0 every file processed, 1 some file failed, 2 usage error.

#include "Errors.h"
#include "ImportedSpectrum.h"
#include "ProcPasses.h"
#include "ProcReport.h"
#include "SpectrumExport.h"
#include "SpectrumFiles.h"
#include "SpectrumReport.h"
#include "TextTable.h"
#include "Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <cstdio>
#include <optional>

namespace {

const char* const Example =
    "Measures stored spectrum files as the processing window does with its\n"
    "automatic cursors: baseline, derivative and absorption moments, widths,\n"
    "integral, g-factor (ESR), noise and moment uncertainties.\n"
    "Reads Meril .dcw files and other programs' spectra: BES3T (.DSC/.DTA),\n"
    "ESP/WinEPR (.par/.spc), JCAMP-DX, two-column text. What such a file does\n"
    "not give comes from --freq and --modamp (the warning not_in_file says so).\n"
    "One JSON object per file and line on stdout; failures on stderr.\n"
    "Exit status: 0 all files processed, 1 some file failed, 2 usage error.\n\n"
    "With --fit, a least-squares fit of the derivative line shape (modulation\n"
    "included, clipped points left out) adds the object \"fit\": centre, pp_width,\n"
    "width, eta, area, M2, alpha, r_HH, a (a list for several hyperfine groups),\n"
    "g, each with its uncertainty (key_u), g_u_field and g_u_fit, chi2_red,\n"
    "residual_rms, residual_corr and clipped_left_out; keys that do not apply\n"
    "are null. A fit that cannot be made is the warning fit_failed with its\n"
    "reason; one whose residuals keep structure the warning model_misfit.\n\n"
    "Examples:\n"
    "  meril-proc --csv --export-txt out/ data/sample.dcw data/run2.dcw > results.csv\n"
    "  meril-proc --fit auto --freq 9.5GHz --modamp 1G data/tempo.txt\n"
    "  meril-proc --export bes3t out/ data/*.dcw    # writes out/NAME.DSC and .DTA\n"
    "  meril-proc --fit lorentz --hyperfine 1,1 --fit-range 100,900 data/tempo.dcw\n"
    "  meril-proc --fit lorentz --hyperfine 2,1 --hyperfine 12,1/2 --hyperfine 4,1/2 data/wurster.dcw\n"
    "  meril-proc --reject 3 data/run1.passes    # writes data/run1-reject3.dcw";

void PrintLine(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

int UsageError(const QString& message)
{
    PrintLine(stderr, QStringLiteral("meril-proc: %1\nTry 'meril-proc --help'.").arg(message));
    return 2;
}

// `count` comma-separated point indexes (whole numbers from 0).
std::optional<std::vector<int>> PointIndexes(const QString& text, int count)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != count)
        return std::nullopt;
    std::vector<int> values;
    for (const QString& part : parts) {
        bool ok = false;
        values.push_back(part.trimmed().toInt(&ok));
        if (!ok || values.back() < 0)
            return std::nullopt;
    }
    return values;
}

// "LC,MC,RC" as three point indexes.
std::optional<TCursorIndexes> ParseCursors(const QString& text)
{
    const std::optional<std::vector<int>> v = PointIndexes(text, 3);
    if (!v)
        return std::nullopt;
    return TCursorIndexes{(*v)[0], (*v)[2], (*v)[1]};
}

// "LC,RC" as two point indexes, LC before RC.
std::optional<std::pair<int, int>> ParseFitRange(const QString& text)
{
    const std::optional<std::vector<int>> v = PointIndexes(text, 2);
    if (!v || (*v)[1] <= (*v)[0])
        return std::nullopt;
    return std::pair{(*v)[0], (*v)[1]};
}

// "--export FORMAT DIR" takes two values, which the parser cannot: they are
// taken out of the arguments first. Empty when not given; an error text
// when given wrongly.
struct TExportRequest {
    std::optional<TExportFormat> Format;
    QString Dir;
    QString Error;
};

TExportRequest TakeExportRequest(QStringList& arguments)
{
    TExportRequest r;
    const qsizetype at = arguments.indexOf(QStringLiteral("--export"));
    if (at < 0)
        return r;
    QStringList formats;
    for (const TExportFormat f : ExportFormats)
        formats << ExportFormatName(f);
    if (at + 2 >= arguments.size()) {
        r.Error = QStringLiteral("--export takes a format (%1) and a folder.").arg(formats.join(QStringLiteral(", ")));
        return r;
    }
    const QString format = arguments[at + 1];
    r.Format = ExportFormatFromName(format);
    r.Dir = arguments[at + 2];
    arguments.remove(at, 3);
    if (!r.Format)
        r.Error = QStringLiteral("--export takes the format %1, not \"%2\".").arg(formats.join(QStringLiteral(", ")), format);
    else if (!QFileInfo(r.Dir).isDir())
        r.Error = QStringLiteral("the export folder \"%1\" does not exist.").arg(QDir::toNativeSeparators(r.Dir));
    return r;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("meril-proc"));
    QStringList arguments = QCoreApplication::arguments();
    const TExportRequest exportAs = TakeExportRequest(arguments);
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(Example));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption csvOption(QStringLiteral("csv"), QStringLiteral("Write one CSV table (a header row and a row per file) instead of JSON Lines."));
    const QCommandLineOption exportOption(QStringLiteral("export-txt"),
                                          QStringLiteral("Also write each file's text table into <dir> (sample.dcw gives sample.txt)."),
                                          QStringLiteral("dir"));
    const QCommandLineOption cursorsOption(QStringLiteral("cursors"),
                                           QStringLiteral("Point indexes of the left, centre and right cursor for the moments of both views, instead of the automatic ones."),
                                           QStringLiteral("LC,MC,RC"));
    const QCommandLineOption passesOption(QStringLiteral("passes"),
                                          QStringLiteral("The arguments are passes folders (run1.passes): measure each pass, with its deviation figure."));
    const QCommandLineOption rejectOption(QStringLiteral("reject"),
                                          QStringLiteral("The arguments are passes folders: write the sum of the passes whose deviation is at most <K> as a new file (run1-rejectK.dcw) and print the passes left out."),
                                          QStringLiteral("K"));
    const QCommandLineOption fitOption(QStringLiteral("fit"),
                                       QStringLiteral("Fit the line shape: gauss, lorentz, pseudo-voigt (or voigt), pake, or auto (the best of the first three by BIC)."),
                                       QStringLiteral("MODEL"));
    const QCommandLineOption hyperfineOption(QStringLiteral("hyperfine"),
                                             QStringLiteral("Split the line by a group of N equivalent nuclei of spin I (1,1 for one 14N; 12,1/2 for four methyl groups); give it once per group; with --fit."),
                                             QStringLiteral("N,I"));
    const QCommandLineOption fitRangeOption(QStringLiteral("fit-range"),
                                            QStringLiteral("Point indexes of the first and last fitted point (default: the whole spectrum); with --fit."),
                                            QStringLiteral("LC,RC"));
    parser.addOptions({csvOption, exportOption, cursorsOption, fitOption, hyperfineOption, fitRangeOption,
                       passesOption, rejectOption});
    const QCommandLineOption exportAsOption(QStringLiteral("export"),
                                            QStringLiteral("Also write each spectrum for other programs into <DIR>: <FORMAT> bes3t (NAME.DSC and NAME.DTA), jcamp (NAME.jdx, plain numbers) or jcamp-dif (compressed)."),
                                            QStringLiteral("FORMAT DIR"));
    const QCommandLineOption freqOption(QStringLiteral("freq"),
                                        QStringLiteral("The spectrometer frequency for files that do not give it, with its unit (9.5GHz, 14MHz; kHz when none)."),
                                        QStringLiteral("FREQ"));
    const QCommandLineOption modampOption(QStringLiteral("modamp"),
                                          QStringLiteral("The peak-to-peak modulation amplitude for files that do not give it, as instruments state it (1.2G, 0.12mT; G when none)."),
                                          QStringLiteral("AMPLITUDE"));
    parser.addOptions({exportAsOption, freqOption, modampOption});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Spectrum files to measure (.dcw, .DSC, .par, .jdx, .txt, ...)."), QStringLiteral("FILE..."));

    if (!exportAs.Error.isEmpty())
        return UsageError(exportAs.Error);
    if (!parser.parse(arguments))
        return UsageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        PrintLine(stdout, parser.helpText().trimmed());
        return 0;
    }
    if (parser.isSet(versionOption)) {
        PrintLine(stdout, VersionLine(QCoreApplication::applicationName()));
        return 0;
    }
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty())
        return UsageError(QStringLiteral("no spectrum file given."));
    TReportOptions options;
    if (parser.isSet(cursorsOption)) {
        options.Cursors = ParseCursors(parser.value(cursorsOption));
        if (!options.Cursors)
            return UsageError(QStringLiteral("--cursors takes three point indexes LC,MC,RC, as in --cursors 100,512,900."));
    }
    if (parser.isSet(fitOption)) {
        options.Fit = FitModelFromName(parser.value(fitOption));
        if (!options.Fit)
            return UsageError(QStringLiteral("--fit takes gauss, lorentz, pseudo-voigt, pake or auto."));
    }
    if ((parser.isSet(hyperfineOption) || parser.isSet(fitRangeOption)) && !options.Fit)
        return UsageError(QStringLiteral("--hyperfine and --fit-range need --fit."));
    for (const QString& text : parser.values(hyperfineOption)) {
        const THyperfineText groups = ParseHyperfine(text);
        if (!groups.Error.isEmpty() || groups.Groups.empty())
            return UsageError(QStringLiteral("--hyperfine takes N,I (1 to %1 nuclei of spin 1/2 to %2), as in --hyperfine "
                                             "1,1 or 12,1/2: %3")
                                  .arg(MaxHyperfineNuclei)
                                  .arg(MaxNuclearSpin)
                                  .arg(groups.Error.isEmpty() ? QStringLiteral("no group given.") : groups.Error));
        options.Hyperfine.insert(options.Hyperfine.end(), groups.Groups.begin(), groups.Groups.end());
    }
    if (const QString problem = HyperfineProblem(options.Hyperfine); !problem.isEmpty())
        return UsageError(QStringLiteral("--hyperfine: %1").arg(problem));
    if (!options.Hyperfine.empty() && *options.Fit == TFitModel::Pake)
        return UsageError(QStringLiteral("--hyperfine fits gauss, lorentz, pseudo-voigt or auto lines, not pake."));
    if (parser.isSet(fitRangeOption)) {
        const std::optional<std::pair<int, int>> range = ParseFitRange(parser.value(fitRangeOption));
        if (!range)
            return UsageError(QStringLiteral("--fit-range takes two point indexes LC,RC with LC < RC, as in --fit-range 100,900."));
        options.FitRange = range;
    }
    const TPassOutput passOutput{[](const QString& line) { PrintLine(stdout, line); },
                                 [](const QString& line) { PrintLine(stderr, line); }};
    if (parser.isSet(rejectOption)) {
        bool ok = false;
        const double limit = parser.value(rejectOption).toDouble(&ok);
        if (!ok || !(limit > 0))
            return UsageError(QStringLiteral("--reject takes a deviation limit above 0, as in --reject 3."));
        return RejectPasses(files, limit, passOutput) ? 0 : 1;
    }
    if (parser.isSet(passesOption))
        return MeasurePasses(files, options, passOutput) ? 0 : 1;
    const QString exportDir = parser.value(exportOption);
    if (parser.isSet(exportOption) && !QFileInfo(exportDir).isDir())
        return UsageError(QStringLiteral("the export folder \"%1\" does not exist.").arg(QDir::toNativeSeparators(exportDir)));
    std::optional<double> frequency, modAmp;
    if (parser.isSet(freqOption) && !(frequency = FrequencyKHzOf(parser.value(freqOption))))
        return UsageError(QStringLiteral("--freq takes a frequency above 0 with its unit, as in --freq 9.5GHz or --freq 14MHz."));
    if (parser.isSet(modampOption) && !(modAmp = FieldGsOf(parser.value(modampOption))))
        return UsageError(QStringLiteral("--modamp takes a peak-to-peak field amplitude, as in --modamp 1.2G or --modamp 0.12mT."));

    const bool csv = parser.isSet(csvOption);
    if (csv)
        PrintLine(stdout, CsvHeader(options.Fit.has_value()));
    bool allProcessed = true;
    for (const QString& file : files) {
        try {
            TSpectrum spectrum = ReadAnySpectrumFile(file);
            SupplyNotInFile(spectrum, frequency, modAmp);
            if (exportAs.Format)
                ExportSpectrum(ExportAsPath(exportAs.Dir, file, *exportAs.Format), *exportAs.Format, spectrum, file);
            TSpectrumReport measured = MeasureSpectrum(spectrum, options);
            const TNotInFile& missing = spectrum.NotInFile;
            if (const auto warning = NotInFileWarning(missing, QStringLiteral("give %1").arg(
                    missing.Frequency && missing.ModAmp ? QStringLiteral("--freq and --modamp")
                    : missing.Frequency                 ? QStringLiteral("--freq")
                                                        : QStringLiteral("--modamp"))))
                measured.Warnings.push_back(*warning);
            const TReportFields report = ReportJson(file, spectrum, measured);
            PrintLine(stdout, csv ? CsvRow(report.Object(), options.Fit.has_value()) : report.JsonLine());
            if (!exportDir.isEmpty()) {
                const TSpectrumArrays arrays(spectrum);
                RefuseReplacingSource(ExportPath(exportDir, file), file, spectrum.Format);
                WriteTextTable(ExportPath(exportDir, file), arrays.X, arrays.Y, TextTableDecimals(spectrum.XStep, spectrum.YScale));
            }
        } catch (const std::exception& e) {
            PrintLine(stderr, QStringLiteral("meril-proc: %1: %2").arg(QDir::toNativeSeparators(file), ErrorText(e)));
            allProcessed = false;
        }
    }
    return allProcessed ? 0 : 1;
}
