#include "Cp1252.h"

#include <QList>
#include <QStringDecoder>
#include <algorithm>
#include <array>
#include <optional>

namespace {

// Unicode of the bytes 0x80..0x9F; the bytes 0xA0..0xFF equal their Unicode code.
constexpr std::array<char16_t, 32> High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The byte of a code point, or 0 when 1252 has none (NUL itself maps to 0 too).
unsigned char ByteOf(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<unsigned char>(c);
    for (std::size_t i = 0; i < High.size(); ++i)
        if (High[i] == c)
            return static_cast<unsigned char>(0x80 + i);
    return 0;
}

bool Fits(char32_t c)
{
    return c == 0 || ByteOf(c) != 0;
}

} // namespace

QString FromCp1252(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        *out++ = (u >= 0x80 && u < 0xA0) ? QChar(High[u - 0x80]) : QChar(u);
    }
    return text;
}

QByteArray ToCp1252(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const char32_t c : text.toUcs4())
        bytes.append(Fits(c) ? static_cast<char>(ByteOf(c)) : '?');
    return bytes;
}

bool FitsCp1252(const QString& text)
{
    const auto codes = text.toUcs4();
    return std::all_of(codes.cbegin(), codes.cend(), Fits);
}

namespace {

// Bytes with a non-ASCII character that form valid UTF-8: read as UTF-8.
std::optional<QString> AsUtf8(QByteArrayView bytes)
{
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char b) { return static_cast<unsigned char>(b) < 0x80; });
    if (ascii)
        return std::nullopt;
    // A byte-order mark at the start is a character of the text, kept as U+FEFF.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString decoded = utf8.decode(bytes);
    if (utf8.hasError())
        return std::nullopt;
    return decoded;
}

} // namespace

QByteArray ToCp1252OrUtf8(const QString& text)
{
    if (FitsCp1252(text)) {
        QByteArray bytes = ToCp1252(text);
        if (!AsUtf8(bytes))  // else it would be read back as UTF-8
            return bytes;
    }
    return text.toUtf8();
}

QString FromCp1252OrUtf8(QByteArrayView bytes)
{
    return AsUtf8(bytes).value_or(FromCp1252(bytes));
}
