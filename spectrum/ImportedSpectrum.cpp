#include "ImportedSpectrum.h"

#include "NumFormat.h"
#include "Real48.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace {

// Values beyond this are no measurement, and their integrals would overflow
// the 6-byte reals of the processing.
constexpr double MaxMagnitude = 1e20;
// Spectrometer frequencies above this (1 THz) mark a damaged file.
constexpr double MaxFrequencyKHz = 1e9;
// From this frequency on (1 GHz) a spectrum without a named mode is ESR.
constexpr double EsrFrequencyKHz = 1e6;

// "9.5 GHz" -> 9.5 and "GHz"; nullopt when the text does not start with a finite number.
std::optional<std::pair<double, QString>> SplitQuantity(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*([-+]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][-+]?\\d+)?)\\s*([A-Za-z]*)\\s*$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const double v = m.captured(1).toDouble();
    if (!std::isfinite(v))
        return std::nullopt;
    return std::pair{v, m.captured(2)};
}

QString ModeOfFrequency(double frequencyKHz)
{
    return frequencyKHz >= EsrFrequencyKHz ? QStringLiteral("ESR") : QStringLiteral("NMR");
}

void SetFrequency(TSpectrum& s, double kHz, const QString& text)
{
    s.Frequency = RoundToReal48(kHz);
    s.Header.Frequency = text.isEmpty() ? Format(QStringLiteral("%6.1n kHz"), {kHz}) : text;
}

void SetModAmp(TSpectrum& s, double peakToPeakGs, const QString& text)
{
    const double peak = peakToPeakGs / 2;
    s.ModAmp = RoundToReal48(peak);
    s.Header.ModAmp = text.isEmpty() ? QString::number(peak, 'g', 6) + QStringLiteral(" Gs") : text;
}

} // namespace

void RefuseSpectrum(const QString& file, const QString& reason)
{
    throw EFileError(QStringLiteral("Cannot read the spectrum \"%1\": %2").arg(QFileInfo(file).fileName(), reason));
}

QString PartnerFile(const QString& file, const char* extension)
{
    const QFileInfo info(file);
    const QString base = info.path() + QLatin1Char('/') + info.completeBaseName() + QLatin1Char('.');
    const QString given = base + QLatin1String(extension);
    const QString ext = QString::fromLatin1(extension);
    const QString other = base + (ext == ext.toUpper() ? ext.toLower() : ext.toUpper());
    return QFileInfo::exists(given) || !QFileInfo::exists(other) ? given : other;
}

QByteArray ReadSpectrumBytes(const QString& path, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        RefuseSpectrum(path, file.errorString());
    if (file.size() > maxBytes)
        RefuseSpectrum(path, QStringLiteral("the file holds %1 bytes, more than a file of its kind (%2 bytes at most).")
                                 .arg(file.size())
                                 .arg(maxBytes));
    const QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        RefuseSpectrum(path, file.errorString());
    return bytes;
}

double PowerOfTen(int exponent)
{
    static const auto table = [] {
        std::array<double, 61> t{};
        for (int e = -30; e <= 30; ++e)
            t[size_t(e + 30)] = std::pow(10.0, e);
        return t;
    }();
    return exponent >= -30 && exponent <= 30 ? table[size_t(exponent + 30)] : std::pow(10.0, exponent);
}

QByteArrayView NextLine(QByteArrayView bytes, qsizetype& start)
{
    qsizetype end = start;
    while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
        ++end;
    const QByteArrayView line = bytes.sliced(start, end - start);
    start = end + (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n' ? 2 : 1);
    return line;
}

std::optional<TAxisUnit> AxisUnitOf(const QString& unit)
{
    static const std::pair<const char*, TAxisUnit> units[] = {
        {"g", {true, 1}},     {"gs", {true, 1}},      {"gauss", {true, 1}}, {"mt", {true, 10}},
        {"t", {true, 1e4}},   {"hz", {false, 1e-3}},  {"khz", {false, 1}},  {"mhz", {false, 1e3}},
        {"ghz", {false, 1e6}}};
    const QString u = unit.trimmed().toLower();
    for (const auto& [name, axis] : units)
        if (u == QLatin1String(name))
            return axis;
    return std::nullopt;
}

std::optional<double> FrequencyKHzOf(const QString& text)
{
    const auto q = SplitQuantity(text);
    if (!q || !(q->first > 0))
        return std::nullopt;
    const std::optional<TAxisUnit> unit = q->second.isEmpty() ? TAxisUnit{false, 1} : AxisUnitOf(q->second);
    if (!unit || unit->Field || !(q->first * unit->Factor <= MaxFrequencyKHz))
        return std::nullopt;
    return q->first * unit->Factor;
}

std::optional<double> FieldGsOf(const QString& text)
{
    const auto q = SplitQuantity(text);
    if (!q || q->first < 0)
        return std::nullopt;
    const std::optional<TAxisUnit> unit = q->second.isEmpty() ? TAxisUnit{true, 1} : AxisUnitOf(q->second);
    if (!unit || !unit->Field)
        return std::nullopt;
    return q->first * unit->Factor;
}

TSpectrum SpectrumFromImport(TImportedSpectrum found)
{
    const QString& file = found.File;
    const qsizetype n = qsizetype(found.Y.size());
    if (n < 2)
        RefuseSpectrum(file, QStringLiteral("it holds %1 point(s); a spectrum needs at least 2.").arg(n));
    if (n > MaxSpectrumPoints)
        RefuseSpectrum(file, QStringLiteral("it holds more than %1 points.").arg(MaxSpectrumPoints));
    for (qsizetype i = 0; i < n; ++i)
        if (!std::isfinite(found.Y[size_t(i)]) || std::abs(found.Y[size_t(i)]) > MaxMagnitude)
            RefuseSpectrum(file, QStringLiteral("the value of point %1 (%2) is not a number within \u00b11e20.")
                                     .arg(i + 1)
                                     .arg(found.Y[size_t(i)]));
    const double range = std::abs(found.XLast - found.XFirst);
    const QString unit = found.FieldSweep ? QStringLiteral("Gs") : QStringLiteral("kHz");
    if (!std::isfinite(range) || range < MinSweepRange || range > MaxSweepRange)
        RefuseSpectrum(file, QStringLiteral("the sweep width %1 %2 (%3) is not between %4 and 100 000 %2.")
                                 .arg(range)
                                 .arg(unit, found.RangeKey)
                                 .arg(MinSweepRange));
    if (found.XLast < found.XFirst)
        std::reverse(found.Y.begin(), found.Y.end());
    const double centre = found.XOrigin + (found.XFirst + found.XLast) / 2;

    TSpectrum s;
    s.Version = 0;
    s.Format = found.Format;
    TDataHeader& h = s.Header;
    h.Comment = found.Comment;
    h.SweepTp = found.FieldSweep ? 1 : 0;
    h.SweepR = float(range);
    h.SweepTime = found.SweepTime;
    h.Gain = found.Gain;
    h.Phase = found.Phase;
    if (found.Scans && *found.Scans >= 1) {
        s.Acc = int(std::min<long long>(*found.Scans, std::numeric_limits<int>::max()));
        h.Acc = QString::number(*found.Scans);
    }
    const std::optional<double> frequency = found.FieldSweep ? found.FrequencyKHz : centre;
    if (frequency && !(*frequency > 0 && *frequency <= MaxFrequencyKHz))
        RefuseSpectrum(file, QStringLiteral("the frequency %1 kHz is not above 0 and at most 1 THz.").arg(*frequency));
    if (frequency)
        SetFrequency(s, *frequency, found.FrequencyText);
    const std::optional<double> field = found.FieldSweep ? centre : found.FieldGs;
    if (field) {
        s.B0 = RoundToReal48(*field);
        h.B0 = found.B0Text.isEmpty() ? Format(QStringLiteral("%6.2n Gs"), {*field}) : found.B0Text;
    }
    if (found.ModAmpPeakToPeakGs)
        SetModAmp(s, *found.ModAmpPeakToPeakGs, found.ModAmpText);
    s.NotInFile = {!frequency, !found.ModAmpPeakToPeakGs, found.Resonance.isEmpty()};
    h.Resonance = !found.Resonance.isEmpty() ? found.Resonance
                  : frequency                ? ModeOfFrequency(*frequency)
                                             : QStringLiteral("NMR");

    s.SweepRange = range;
    s.XStep = double((long double)range / (n - 1));
    // A kept scale counts only when it holds every value.
    const bool keptHolds = found.Scale && std::all_of(found.Y.begin(), found.Y.end(), [&](double y) {
        return std::abs(y) <= found.Scale->Limit;
    });
    s.YScale = keptHolds ? *found.Scale : ImportedYScale(found.Y, found.Quantum);
    s.Points.reserve(size_t(n));
    for (qsizetype i = 0; i < n; ++i)
        s.Points.emplace_back(GridX(range, s.XStep, i), found.Y[size_t(i)]);
    CheckFitModAmp(s);
    return s;
}

std::optional<TYScale> KeptYScale(std::optional<double> limit, std::optional<double> clipped, std::optional<double> step)
{
    if (!limit || !clipped || !step || !(*limit > 0 && *limit <= MaxMagnitude) || !(*clipped == 0 || *clipped == 1) ||
        !(*step >= 0 && *step <= *limit))
        return std::nullopt;
    return TYScale{*limit, *clipped == 1, *step};
}

std::optional<TMeasurementWarning> NotInFileWarning(const TNotInFile& missing, const QString& howToGive)
{
    QStringList what;
    if (missing.Frequency)
        what << QStringLiteral("no frequency (so no g-factor%1)")
                    .arg(missing.Mode ? QStringLiteral(", and the mode is taken as NMR") : QString());
    if (missing.ModAmp)
        what << QStringLiteral("no modulation amplitude (so none is allowed for)");
    if (what.isEmpty())
        return std::nullopt;
    return TMeasurementWarning{QStringLiteral("not_in_file"),
                               QStringLiteral("The file gives %1; %2.").arg(what.join(QStringLiteral(" and ")), howToGive)};
}

void SupplyNotInFile(TSpectrum& s, std::optional<double> frequencyKHz, std::optional<double> modAmpPeakToPeakGs)
{
    if (s.NotInFile.Frequency && frequencyKHz) {
        SetFrequency(s, *frequencyKHz, QString());
        if (s.NotInFile.Mode)
            s.Header.Resonance = ModeOfFrequency(*frequencyKHz);
        s.NotInFile.Frequency = false;
    }
    if (s.NotInFile.ModAmp && modAmpPeakToPeakGs) {
        SetModAmp(s, *modAmpPeakToPeakGs, QString());
        s.NotInFile.ModAmp = false;
    }
    CheckFitModAmp(s);
}
