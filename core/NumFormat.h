#pragma once
// The program's number formats: format strings ("%6.2n", "%4g", "%d"), float
// patterns ("# ##0.### [Gs]"), the grouped readout number and the
// text-to-number conversions. The decimal separator is "." and the thousands
// separator a blank, fixed for the whole process and independent of the
// system locale.
//
// Floating-point values are converted as extended numbers: first to 18
// significant digits, then rounded half away from zero to the digits shown.
// So 0.125 with two decimals gives "0.13", and a computed 14000000 * 0.001
// shows as "14 000.0".

#include <QString>
#include <cstdint>
#include <initializer_list>
#include <variant>

inline constexpr QChar DecimalSeparator = u'.';
inline constexpr QChar ThousandSeparator = u' ';

// One argument of Format. Integers keep their width (32 or 64 bits) so that
// "%x" and "%u" of a negative value show its two's-complement form.
class TFormatArg {
public:
    TFormatArg(int v) : FValue(int64_t(v)), FBits(32) {}
    TFormatArg(long v) : FValue(int64_t(v)), FBits(int(sizeof(long) * 8)) {}
    TFormatArg(long long v) : FValue(int64_t(v)), FBits(64) {}
    TFormatArg(unsigned v) : FValue(uint64_t(v)), FBits(32) {}
    TFormatArg(unsigned long v) : FValue(uint64_t(v)), FBits(int(sizeof(long) * 8)) {}
    TFormatArg(unsigned long long v) : FValue(uint64_t(v)), FBits(64) {}
    TFormatArg(float v) : FValue((long double)v) {}
    TFormatArg(double v) : FValue((long double)v) {}
    TFormatArg(long double v) : FValue(v) {}
    TFormatArg(const QString& v) : FValue(v) {}
    TFormatArg(const char* v) : FValue(QString::fromUtf8(v)) {}

    bool IsInteger() const { return !IsFloat() && !IsString(); }
    bool IsFloat() const { return std::holds_alternative<long double>(FValue); }
    bool IsString() const { return std::holds_alternative<QString>(FValue); }
    // For an integer: the value, negative values as written.
    QString DecimalText() const;
    // For an integer: the value's bits as an unsigned number of its width.
    uint64_t UnsignedBits() const;
    // For an integer or a float: the value as an extended number.
    long double Float() const;
    const QString& String() const { return std::get<QString>(FValue); }

private:
    std::variant<int64_t, uint64_t, long double, QString> FValue;
    int FBits = 64;
};

// Formats the arguments by the format string. Conversions:
// "%[-][width][.precision]type", type one of
//   d  decimal integer (precision: minimum digits, zero padded)
//   u  unsigned decimal integer
//   x  upper-case hexadecimal integer (precision: minimum digits)
//   s  text (precision: maximum characters)
//   f  fixed point, precision decimals (default 2)
//   n  like f, with thousands grouping
//   e  scientific, precision significant digits (default 15): "1.50E+003"
//   g  general: the shorter of fixed and scientific, precision significant
//      digits (default 15), trailing zeros removed. Its scientific form is
//      the mantissa, "E", a "-" for a negative exponent and the exponent
//      without leading zeros: "%4.1g" of 16 gives " 2E1", of 32 " 3E1".
// Width right-aligns in that many characters; "-" left-aligns. "%%" is a
// percent sign. Float conversions accept integer arguments; integer
// conversions do not accept floats. A bad format, a missing argument or one
// of the wrong kind throws EConvertError.
QString Format(const QString& format, std::initializer_list<TFormatArg> args);

// Formats a value by a float pattern: "0" digit always shown, "#" digit shown
// when significant, "." decimal point, "," or a blank between digit
// placeholders for thousands grouping. Text before and after the
// placeholders is kept as it stands (quotes around it are removed):
// "# ##0.### [Gs]" of 1234.5 gives "1 234.5 [Gs]".
QString FormatFloat(const QString& pattern, long double value);

// A number with thousands grouping and exactly `digits` decimals, rounded to
// `precision` significant digits first; a value with more integer digits than
// `precision` is written in the general scientific form.
QString FloatToStrFNumber(long double value, int precision, int digits);

// The standard text-to-number conversions ("." decimal, blanks around the
// number allowed). Failure throws EConvertError:
// "'<text>' is not a valid floating point value" / "... integer value".
long double StrToFloat(const QString& text);
int StrToInt(const QString& text);

// Nearest integer, halves to the even neighbour.
long long RoundHalfEven(long double v);
// Toward zero.
long long Trunc(long double v);
