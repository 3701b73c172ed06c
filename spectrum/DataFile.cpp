#include "DataFile.h"

#include "Cp1252.h"
#include "Freq.h"
#include "NumFormat.h"
#include "Real48.h"
#include "LabelNumber.h"
#include "WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace {

// The short-string fields of the header: offset within the header and the
// maximum number of characters (the field takes one byte more).
struct TTextField {
    QString TDataHeader::*Member;
    int Offset;
    int MaxLength;
};

constexpr TTextField TextFields[] = {
    {&TDataHeader::Comment, 0, 255},   {&TDataHeader::Frequency, 262, 20},
    {&TDataHeader::B0, 283, 20},       {&TDataHeader::ModAmp, 312, 20},
    {&TDataHeader::SweepTime, 333, 20}, {&TDataHeader::Gain, 354, 20},
    {&TDataHeader::Phase, 375, 20},    {&TDataHeader::Acc, 396, 3},
    {&TDataHeader::Resonance, 400, 20}};  // version 11 only

constexpr int SweepTpOffset = 304;
constexpr int SweepROffset = 308;
constexpr int FrequencyFirstChar = 263;

int HeaderSize(int version)
{
    return version == 10 ? HeaderSizeV10 : HeaderSizeV11;
}

// A length byte beyond the field's maximum is taken as the maximum, so a
// damaged file never reads into the next field.
QString ShortString(QByteArrayView header, const TTextField& f)
{
    const int length = std::min<int>(static_cast<uint8_t>(header[f.Offset]), f.MaxLength);
    return FromCp1252(header.sliced(f.Offset + 1, length));
}

int AccOf(const QString& text)
{
    int acc = 0;
    try {
        acc = StrToInt(text);
    } catch (const EConvertError&) {
    }
    if (acc < 1)
        throw EFileError(QStringLiteral("The number of accumulations \"%1\" in the spectrum file is not "
                                        "a whole number from 1 up.").arg(text));
    return acc;
}

// A number of the header as the label-number parser reads it; a text that
// holds none is named with its field.
long double HeaderNumber(const char* field, const QString& text)
{
    try {
        return RoundToReal48(ParseLabelNumber(text));
    } catch (const EMerilError&) {   // no number, or one beyond the 6-byte real
        throw EConvertError(QStringLiteral("The %1 text \"%2\" of the spectrum file is not a number.")
                                .arg(QLatin1String(field), text));
    }
}

// The ModAmp text read as it is written, sign and exponent included ("-5 Gs",
// "1e30 Gs"), which the label-number parser drops; none when it is not a
// number followed by its unit.
std::optional<double> WrittenNumber(const QString& text)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*([+-]?[0-9][0-9 ]*(?:[.,][0-9]*)?(?:[eE][+-]?[0-9]+)?)\\s*[A-Za-z]*\\s*$"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    bool ok = false;
    const double v = m.captured(1).remove(QLatin1Char(' ')).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

} // namespace

bool IsEsrSpectrum(const TDataHeader& header)
{
    return header.Resonance == QLatin1String("ESR");
}

double XUnitsPerGauss(const TDataHeader& header)
{
    if (header.SweepTp != 0)
        return 1;
    const int m = IsEsrSpectrum(header) ? 3 : header.Resonance == QLatin1String("NMR 19F") ? 1 : 0;
    return double(FreqGamma[size_t(m)]);
}

void CheckFitModAmp(TSpectrum& s)
{
    s.FitModAmpWarning.clear();
    const double xUnitsPerGauss = XUnitsPerGauss(s.Header);
    const QString& text = s.Header.ModAmp;
    const std::optional<double> written = WrittenNumber(text);
    const double value = written ? *written : double(s.ModAmp);
    QString problem;
    if (value < 0)
        problem = QStringLiteral("is negative");
    else if (!std::isfinite(value) || value * xUnitsPerGauss > s.Header.SweepR)
        problem = QStringLiteral("is wider than the sweep");
    if (problem.isEmpty()) {
        s.FitModAmp = double(s.ModAmp);
        return;
    }
    s.FitModAmp = 0;
    s.FitModAmpWarning = QStringLiteral("The modulation amplitude \"%1\" %2: the fit leaves the modulation out, so "
                                        "its widths include any modulation broadening.")
                             .arg(text, problem);
}

QString TooManyPassesText(int count)
{
    return QStringLiteral("A spectrum file holds a sum of at most %1 passes, not %2.").arg(MaxStoredAcc).arg(count);
}

double SpectrumPointX(float sweepRange, int count, int index)
{
    const long double range = sweepRange;
    return GridX(range, count > 1 ? double(range / (count - 1)) : 0, index);
}

QByteArray SpectrumFileBytes(const TDataHeader& h, std::span<const int32_t> sums)
{
    QByteArray bytes(1 + HeaderSizeV11 + 4 * qsizetype(sums.size()), '\0');
    bytes[0] = char(DataFileVersion);
    char* const header = bytes.data() + 1;
    for (const TTextField& f : TextFields) {
        const QByteArray text = ToCp1252(h.*f.Member).left(f.MaxLength);
        header[f.Offset] = char(text.size());
        std::memcpy(header + f.Offset + 1, text.constData(), text.size());
    }
    header[SweepTpOffset] = char(h.SweepTp);
    qToLittleEndian(h.SweepR, header + SweepROffset);
    char* data = header + HeaderSizeV11;
    for (const int32_t sum : sums) {
        qToLittleEndian(sum, data);
        data += 4;
    }
    return bytes;
}

void WriteSpectrumFile(const QString& path, const TDataHeader& header, std::span<const int32_t> sums)
{
    // A longer Acc would be cut to its first three digits: 1000 passes stored as 100.
    if (header.Acc.size() > 3)
        throw EFileError(TooManyPassesText(header.Acc.toInt()));
    if (!QFileInfo(path).absoluteDir().exists())
        throw EPathNotFound();
    QString error;
    if (!WriteWholeFile(path, SpectrumFileBytes(header, sums), &error))
        throw EFileError(QStringLiteral("Cannot write the file \"%1\": %2").arg(QDir::toNativeSeparators(path), error));
}

TSpectrum ParseSpectrum(QByteArrayView bytes)
{
    TSpectrum s;
    if (bytes.isEmpty() || (bytes[0] != 10 && bytes[0] != 11))
        throw EFileFormatError();
    s.Version = bytes[0];
    const int headerSize = HeaderSize(s.Version);
    if (bytes.size() < 1 + headerSize)
        throw EFileError(QStringLiteral("The spectrum file ends inside its header."));
    const QByteArrayView header = bytes.sliced(1, headerSize);

    TDataHeader& h = s.Header;
    for (const TTextField& f : TextFields)
        if (f.Offset < headerSize)
            h.*f.Member = ShortString(header, f);
    if (s.Version == 10)
        h.Resonance = static_cast<uint8_t>(header[FrequencyFirstChar]) <= '1' ? QStringLiteral("NMR")
                                                                              : QStringLiteral("ESR");
    h.SweepTp = static_cast<uint8_t>(header[SweepTpOffset]);
    h.SweepR = qFromLittleEndian<float>(header.data() + SweepROffset);

    s.Acc = AccOf(h.Acc);
    s.ModAmp = HeaderNumber("ModAmp", h.ModAmp);
    s.Frequency = HeaderNumber("Frequency", h.Frequency);
    s.B0 = HeaderNumber("B0", h.B0);

    const long double range = h.SweepR;
    if (!std::isfinite(range) || range < MinSweepRange || range > MaxSweepRange)
        throw EFileError(QStringLiteral("The sweep range %1 in the spectrum file is not between %2 and %3.")
                             .arg(double(h.SweepR))
                             .arg(MinSweepRange)
                             .arg(QStringLiteral("100 000")));
    CheckFitModAmp(s);
    const QByteArrayView data = bytes.sliced(1 + headerSize);
    const qsizetype n = data.size() / 4;
    if (n < 2)
        throw EFileError(QStringLiteral("The spectrum file holds %1 data point(s); a spectrum needs at least 2.").arg(n));
    if (n > MaxSpectrumPoints)
        throw EFileError(QStringLiteral("The spectrum file holds more than %1 data points.").arg(MaxSpectrumPoints));

    s.SweepRange = double(range);
    s.XStep = double(range / (n - 1));
    s.Points.reserve(n);
    s.Sums.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        const int32_t sum = qFromLittleEndian<int32_t>(data.data() + 4 * i);
        s.Sums.push_back(sum);
        const long long y = std::clamp(RoundHalfEven((long double)sum / s.Acc), -(long long)SpectrumLimit, (long long)SpectrumLimit);
        s.Points.emplace_back(GridX(range, s.XStep, i), double(y));
    }
    return s;
}

TSpectrum ReadSpectrumFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EFileUnreadable(QStringLiteral("Cannot open the file \"%1\": %2")
                                  .arg(QDir::toNativeSeparators(path), file.errorString()));
    // Enough to see that a file is too large without reading all of it.
    const QByteArray bytes = file.read(1 + HeaderSizeV11 + 4 * (MaxSpectrumPoints + 1));
    if (file.error() != QFileDevice::NoError)
        throw EFileUnreadable(QStringLiteral("Cannot read the file \"%1\": %2")
                                  .arg(QDir::toNativeSeparators(path), file.errorString()));
    return ParseSpectrum(bytes);
}
