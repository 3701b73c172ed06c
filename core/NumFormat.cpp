#include "NumFormat.h"

#include "Errors.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

// Significant digits an extended number carries through a conversion.
constexpr int ExtendedDigits = 18;

// A value as decimal digits: 0.Digits x 10^Exponent. No leading or trailing
// zeros in Digits; empty Digits is zero.
struct TDecimal {
    bool Negative = false;
    std::string Digits;
    int Exponent = 0;

    bool IsZero() const { return Digits.empty(); }
    char DigitAt(int i) const { return i >= 0 && i < int(Digits.size()) ? Digits[size_t(i)] : '0'; }
};

void StripTrailingZeros(TDecimal& d)
{
    while (!d.Digits.empty() && d.Digits.back() == '0')
        d.Digits.pop_back();
    if (d.Digits.empty())
        d.Exponent = 0;
}

TDecimal ToDecimal(long double v)
{
    TDecimal d;
    d.Negative = std::signbit(v);
    if (v == 0)
        return d;
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific,
                                   ExtendedDigits - 1);
    const std::string text(buf, res.ptr);           // "d.ddddde+XX"
    const size_t e = text.find('e');
    for (size_t i = 0; i < e; ++i)
        if (text[i] >= '0' && text[i] <= '9')
            d.Digits += text[i];
    d.Exponent = std::stoi(text.substr(e + 1)) + 1;
    StripTrailingZeros(d);
    return d;
}

// Keeps the first `keep` digits, rounding half away from zero on the next one.
void RoundDigits(TDecimal& d, int keep)
{
    if (keep >= int(d.Digits.size()))
        return;
    if (keep < 0) {
        d.Digits.clear();
        d.Exponent = 0;
        return;
    }
    const bool up = d.Digits[size_t(keep)] >= '5';
    d.Digits.resize(size_t(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.Digits[size_t(i)] == '9')
            d.Digits[size_t(i--)] = '0';
        if (i >= 0)
            ++d.Digits[size_t(i)];
        else {
            d.Digits.insert(d.Digits.begin(), '1');
            ++d.Exponent;
        }
    }
    StripTrailingZeros(d);
}

QString Grouped(const QString& integerDigits)
{
    QString out;
    const int n = int(integerDigits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += ThousandSeparator;
        out += integerDigits[i];
    }
    return out;
}

// Fixed-point text of a value already rounded to its decimals: at least
// minInteger integer digits, between minDecimals and maxDecimals decimals
// (trailing zeros beyond minDecimals dropped). A result of zero has no sign.
QString FixedText(const TDecimal& d, int minInteger, int minDecimals, int maxDecimals, bool grouping)
{
    QString integer;
    for (int i = 0; i < d.Exponent; ++i)
        integer += QLatin1Char(d.DigitAt(i));
    while (integer.size() < minInteger)
        integer.prepend(u'0');
    int decimals = maxDecimals;
    while (decimals > minDecimals && d.DigitAt(d.Exponent + decimals - 1) == '0')
        --decimals;
    QString text = grouping ? Grouped(integer) : integer;
    if (decimals > 0) {
        text += DecimalSeparator;
        for (int i = 0; i < decimals; ++i)
            text += QLatin1Char(d.DigitAt(d.Exponent + i));
    }
    if (d.Negative && !d.IsZero())
        text.prepend(u'-');
    return text;
}

QString FixedText(long double v, int decimals, bool grouping)
{
    TDecimal d = ToDecimal(v);
    RoundDigits(d, d.Exponent + decimals);
    return FixedText(d, 1, decimals, decimals, grouping);
}

// "NAN", "INF", "-INF" for values that have no digits; empty otherwise.
QString SpecialText(long double v)
{
    if (std::isnan(v))
        return QStringLiteral("NAN");
    if (std::isinf(v))
        return v < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    return {};
}

// Mantissa digits with a point after the first one.
QString MantissaText(const TDecimal& d, int digits)
{
    QString text(QLatin1Char(d.DigitAt(0)));
    if (digits > 1) {
        text += DecimalSeparator;
        for (int i = 1; i < digits; ++i)
            text += QLatin1Char(d.DigitAt(i));
    }
    return (d.Negative && !d.IsZero() ? QStringLiteral("-") : QString()) + text;
}

QString GeneralText(long double v, int precision)
{
    if (const QString special = SpecialText(v); !special.isEmpty())
        return special;
    TDecimal d = ToDecimal(v);
    RoundDigits(d, precision);
    if (d.IsZero())
        return QStringLiteral("0");
    if (d.Exponent > precision || d.Exponent < -4) {
        const int exponent = d.Exponent - 1;
        return MantissaText(d, int(d.Digits.size())) + u'E' + (exponent < 0 ? QStringLiteral("-") : QString())
               + QString::number(std::abs(exponent));
    }
    const int decimals = std::max(0, int(d.Digits.size()) - d.Exponent);
    return FixedText(d, 1, decimals, decimals, false);
}

QString ExponentText(long double v, int precision)
{
    if (const QString special = SpecialText(v); !special.isEmpty())
        return special;
    TDecimal d = ToDecimal(v);
    RoundDigits(d, precision);
    const int exponent = d.IsZero() ? 0 : d.Exponent - 1;
    return MantissaText(d, precision) + u'E' + (exponent < 0 ? u'-' : u'+')
           + QString::number(std::abs(exponent)).rightJustified(3, u'0');
}

[[noreturn]] void FormatError(const QString& format)
{
    throw EConvertError(QStringLiteral("Format '%1' invalid or incompatible with argument").arg(format));
}

QString Pad(const QString& text, int width, bool leftAlign)
{
    return leftAlign ? text.leftJustified(width, u' ') : text.rightJustified(width, u' ');
}

QString ZeroPadded(QString digits, int minDigits)
{
    const bool negative = digits.startsWith(u'-');
    if (negative)
        digits.remove(0, 1);
    digits = digits.rightJustified(minDigits, u'0');
    return negative ? u'-' + digits : digits;
}

} // namespace

QString TFormatArg::DecimalText() const
{
    if (const auto* s = std::get_if<int64_t>(&FValue))
        return QString::number(*s);
    return QString::number(std::get<uint64_t>(FValue));
}

uint64_t TFormatArg::UnsignedBits() const
{
    const uint64_t mask = FBits == 64 ? ~uint64_t(0) : (uint64_t(1) << FBits) - 1;
    if (const auto* s = std::get_if<int64_t>(&FValue))
        return uint64_t(*s) & mask;
    return std::get<uint64_t>(FValue) & mask;
}

long double TFormatArg::Float() const
{
    if (const auto* f = std::get_if<long double>(&FValue))
        return *f;
    if (const auto* s = std::get_if<int64_t>(&FValue))
        return (long double)*s;
    return (long double)std::get<uint64_t>(FValue);
}

QString Format(const QString& format, std::initializer_list<TFormatArg> args)
{
    QString out;
    auto arg = args.begin();
    const int n = int(format.size());
    for (int i = 0; i < n; ++i) {
        if (format[i] != u'%') {
            out += format[i];
            continue;
        }
        if (++i >= n)
            FormatError(format);
        if (format[i] == u'%') {
            out += u'%';
            continue;
        }
        const bool leftAlign = format[i] == u'-';
        if (leftAlign)
            ++i;
        auto number = [&](int& value) {
            bool any = false;
            for (value = 0; i < n && format[i].isDigit(); ++i, any = true)
                value = value * 10 + format[i].digitValue();
            return any;
        };
        int width = 0, precision = 0;
        number(width);
        bool hasPrecision = false;
        if (i < n && format[i] == u'.') {
            ++i;
            hasPrecision = number(precision);
        }
        if (i >= n || arg == args.end())
            FormatError(format);
        const TFormatArg& a = *arg++;
        const char type = char(format[i].toLower().toLatin1());
        QString text;
        switch (type) {
        case 'd':
        case 'u':
        case 'x':
            if (!a.IsInteger())
                FormatError(format);
            text = type == 'd' ? a.DecimalText()
                               : QString::number(a.UnsignedBits(), type == 'x' ? 16 : 10).toUpper();
            if (hasPrecision)
                text = ZeroPadded(text, precision);
            break;
        case 's':
            if (!a.IsString())
                FormatError(format);
            text = hasPrecision ? a.String().left(precision) : a.String();
            break;
        case 'f':
        case 'n':
        case 'e':
        case 'g': {
            if (a.IsString())
                FormatError(format);
            const long double v = a.Float();
            if (type == 'e' || type == 'g') {
                const int digits = std::clamp(hasPrecision ? precision : 15, 1, ExtendedDigits);
                text = type == 'e' ? ExponentText(v, digits) : GeneralText(v, digits);
            } else {
                text = SpecialText(v);
                if (text.isEmpty())
                    text = FixedText(v, hasPrecision ? precision : 2, type == 'n');
            }
            break;
        }
        default:
            FormatError(format);
        }
        out += Pad(text, width, leftAlign);
    }
    return out;
}

QString FormatFloat(const QString& pattern, long double value)
{
    if (const QString special = SpecialText(value); !special.isEmpty())
        return special;
    auto isPlaceholder = [](QChar c) { return c == u'0' || c == u'#'; };
    // The placeholder block runs from the first to the last digit placeholder.
    int first = -1, last = -1;
    for (int i = 0; i < pattern.size(); ++i)
        if (isPlaceholder(pattern[i])) {
            if (first < 0)
                first = i;
            last = i;
        }
    auto literal = [](QString text) { return text.remove(u'"').remove(u'\''); };
    if (first < 0)
        return literal(pattern);
    const int end = last + 1;
    int minInteger = 0, minDecimals = 0, maxDecimals = 0;
    bool grouping = false, inDecimals = false;
    for (int i = first; i < end; ++i) {
        const QChar c = pattern[i];
        if (c == u'.')
            inDecimals = true;
        else if (c == u',' || c == u' ')
            grouping = grouping || !inDecimals;
        else if (inDecimals) {
            ++maxDecimals;
            if (c == u'0')
                minDecimals = maxDecimals;
        } else if (c == u'0')
            ++minInteger;
    }
    TDecimal d = ToDecimal(value);
    RoundDigits(d, d.Exponent + maxDecimals);
    return literal(pattern.left(first)) + FixedText(d, minInteger, minDecimals, maxDecimals, grouping)
           + literal(pattern.mid(end));
}

QString FloatToStrFNumber(long double value, int precision, int digits)
{
    if (const QString special = SpecialText(value); !special.isEmpty())
        return special;
    precision = std::clamp(precision, 1, ExtendedDigits);
    TDecimal d = ToDecimal(value);
    RoundDigits(d, std::min(precision, d.Exponent + digits));
    if (d.Exponent > precision)
        return GeneralText(value, precision);
    return FixedText(d, 1, digits, digits, true);
}

long double StrToFloat(const QString& text)
{
    const QByteArray s = text.trimmed().toLatin1();
    // [sign] digits [. digits] [E [sign] digits], at least one mantissa digit.
    int i = 0;
    const int n = int(s.size());
    auto digitsAt = [&] {
        const int start = i;
        while (i < n && s[i] >= '0' && s[i] <= '9')
            ++i;
        return i - start;
    };
    if (i < n && (s[i] == '+' || s[i] == '-'))
        ++i;
    const int signEnd = i;
    int mantissaDigits = digitsAt();
    if (i < n && s[i] == '.') {
        ++i;
        mantissaDigits += digitsAt();
    }
    bool valid = mantissaDigits > 0;
    if (valid && i < n && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < n && (s[i] == '+' || s[i] == '-'))
            ++i;
        valid = digitsAt() > 0;
    }
    long double value = 0;
    if (valid && i == n) {
        // from_chars takes no '+' and is independent of the locale.
        const char* begin = s.constData() + (s[0] == '+' ? signEnd : 0);
        const auto res = std::from_chars(begin, s.constData() + n, value);
        valid = res.ec == std::errc() && res.ptr == s.constData() + n && std::isfinite(value);
    } else
        valid = false;
    if (!valid)
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return value;
}

int StrToInt(const QString& text)
{
    // Qt's conversion stops at a NUL character and takes what came before it.
    bool ok = !text.contains(QChar(u'\0'));
    const int value = ok ? text.trimmed().toInt(&ok, 10) : 0;
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

long long RoundHalfEven(long double v)
{
    // The default floating-point rounding mode is to nearest, halves to even.
    return std::llrint(v);
}

long long Trunc(long double v)
{
    return (long long)std::trunc(v);
}
