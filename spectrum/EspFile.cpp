#include "EspFile.h"

#include "ImportedSpectrum.h"
#include "KeyValueText.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 MaxParameterBytes = 1 << 16;

// The values as 32-bit floats or whole numbers of the byte order given.
std::vector<double> Values(QByteArrayView spc, bool littleEndian, bool floats)
{
    std::vector<double> y(size_t(spc.size() / 4));
    for (size_t i = 0; i < y.size(); ++i) {
        const char* p = spc.data() + 4 * i;
        if (floats)
            y[i] = littleEndian ? qFromLittleEndian<float>(p) : qFromBigEndian<float>(p);
        else
            y[i] = littleEndian ? qFromLittleEndian<int32_t>(p) : qFromBigEndian<int32_t>(p);
    }
    return y;
}

// Whether the extremes of y are MIN and MAX, to the precision the file writes them.
bool ShowsExtremes(const std::vector<double>& y, double min, double max)
{
    const auto [low, high] = std::minmax_element(y.begin(), y.end());
    const double tolerance = 1e-6 * std::max({std::abs(min), std::abs(max), 1e-30}) + 1e-6;
    return std::abs(*low - min) <= tolerance && std::abs(*high - max) <= tolerance;
}

} // namespace

TSpectrum ParseEsp(QByteArrayView par, QByteArrayView spc, const QString& parFile, const QString& spcFile)
{
    const TKeyValues k(par, parFile);
    for (const char* key : {"SSY", "REY"})
        if (k.Whole(key, 0, MaxSpectrumPoints).value_or(1) > 1)
            RefuseSpectrum(parFile, QStringLiteral("%1 is %2: a series of %2 spectra (two-dimensional) is not read; "
                                                   "export one spectrum of it.")
                                        .arg(QLatin1String(key), k.Text(key).value()));
    if (const QString jex = k.Text("JEX").value_or(QStringLiteral("field-sweep")); jex != QLatin1String("field-sweep"))
        RefuseSpectrum(parFile, QStringLiteral("JEX is \"%1\"; only field sweeps are read.").arg(jex));
    const std::optional<long long> anz = k.Whole("ANZ", 2, MaxSpectrumPoints);
    const std::optional<long long> res = k.Whole("RES", 2, MaxSpectrumPoints);
    if (!anz && !res)
        RefuseSpectrum(parFile, QStringLiteral("neither ANZ nor RES gives the number of points."));
    if (anz && res && *anz != *res)
        RefuseSpectrum(parFile, QStringLiteral("ANZ %1 and RES %2 disagree: a series of spectra is not read.").arg(*anz).arg(*res));
    const qsizetype n = qsizetype(anz ? *anz : *res);
    if (spc.size() != 4 * n)
        RefuseSpectrum(spcFile, QStringLiteral("it holds %1 bytes, but %2 %3 values of 4 bytes take %4.")
                                    .arg(spc.size())
                                    .arg(QLatin1String(anz ? "ANZ" : "RES"))
                                    .arg(n)
                                    .arg(4 * n));

    // Start and width of the axis.
    std::optional<double> start = k.Number("GST"), width = k.Positive("GSI");
    QString rangeKey = QStringLiteral("GSI");
    if (!start || !width) {
        const std::optional<double> centre = k.Number("HCF"), sweep = k.Positive("HSW");
        if (!centre || !sweep)
            RefuseSpectrum(parFile, QStringLiteral("the axis is not given: neither GST and GSI nor HCF and HSW."));
        start = *centre - *sweep / 2;
        width = sweep;
        rangeKey = QStringLiteral("HSW");
    }
    const QString jun = k.Text("JUN").value_or(k.Text("XXUN").value_or(QStringLiteral("G")));
    const std::optional<TAxisUnit> unit = AxisUnitOf(jun);
    if (!unit || !unit->Field)
        RefuseSpectrum(parFile, QStringLiteral("JUN is \"%1\"; the x axis must be a field (G, mT).").arg(jun));

    const bool littleEndian = k.Text("DOS").value_or(QString()).startsWith(QLatin1String("Format"));
    TImportedSpectrum f;
    f.File = parFile;
    f.Format = TSpectrumFormat::Esp;
    f.Y = Values(spc, littleEndian, true);
    const std::optional<double> min = k.Number("MIN"), max = k.Number("MAX");
    if (min && max && !ShowsExtremes(f.Y, *min, *max)) {
        f.Y = Values(spc, littleEndian, false);
        if (!ShowsExtremes(f.Y, *min, *max))
            RefuseSpectrum(spcFile, QStringLiteral("its values, read as floats or whole numbers of 32 bits, do not "
                                                   "reach MIN %1 and MAX %2.").arg(*min).arg(*max));
        f.Quantum = 1;
    } else {
        f.Quantum = FloatQuantum(f.Y, 24);
    }
    f.FieldSweep = true;
    f.XFirst = *start * unit->Factor;
    f.XLast = (*start + *width) * unit->Factor;
    f.RangeKey = rangeKey;
    if (const auto ghz = k.Positive("MF"))
        f.FrequencyKHz = *ghz * 1e6;
    if (const auto rma = k.Number("RMA")) {
        if (*rma < 0)
            RefuseSpectrum(parFile, QStringLiteral("RMA is %1; a modulation amplitude is 0 or more.").arg(*rma));
        f.ModAmpPeakToPeakGs = *rma * unit->Factor;
    }
    f.Scans = k.Whole("JSD", 0, 1000000000);
    f.Resonance = QStringLiteral("ESR");
    f.Comment = k.Text("JCO").value_or(QString());
    f.Gain = k.Text("RRG").value_or(QString());
    return SpectrumFromImport(std::move(f));
}

TEspPaths EspPaths(const QString& eitherFile)
{
    return {PartnerFile(eitherFile, "par"), PartnerFile(eitherFile, "spc")};
}

TSpectrum ReadEspFile(const QString& path)
{
    const TEspPaths paths = EspPaths(path);
    const QByteArray par = ReadSpectrumBytes(paths.Par, MaxParameterBytes);
    const QByteArray spc = ReadSpectrumBytes(paths.Spc, qint64(MaxSpectrumPoints) * 4);
    return ParseEsp(par, spc, paths.Par, paths.Spc);
}
