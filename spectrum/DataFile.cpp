#include "DataFile.h"

#include "Cp1252.h"
#include "NumFormat.h"
#include "Real48.h"
#include "LabelNumber.h"
#include "WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

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

} // namespace

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
    s.ModAmp = RoundToReal48(ParseLabelNumber(h.ModAmp));
    s.Frequency = RoundToReal48(ParseLabelNumber(h.Frequency));
    s.B0 = RoundToReal48(ParseLabelNumber(h.B0));

    const long double range = h.SweepR;
    if (!std::isfinite(range) || range < MinSweepRange || range > MaxSweepRange)
        throw EFileError(QStringLiteral("The sweep range %1 in the spectrum file is not between %2 and %3.")
                             .arg(double(h.SweepR))
                             .arg(MinSweepRange)
                             .arg(QStringLiteral("100 000")));
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
        throw EFileError(QStringLiteral("Cannot open the file \"%1\": %2")
                             .arg(QDir::toNativeSeparators(path), file.errorString()));
    // Enough to see that a file is too large without reading all of it.
    const QByteArray bytes = file.read(1 + HeaderSizeV11 + 4 * (MaxSpectrumPoints + 1));
    if (file.error() != QFileDevice::NoError)
        throw EFileError(QStringLiteral("Cannot read the file \"%1\": %2")
                             .arg(QDir::toNativeSeparators(path), file.errorString()));
    return ParseSpectrum(bytes);
}
