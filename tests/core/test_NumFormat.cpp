#include "Errors.h"
#include "NumFormat.h"

#include <QtTest>

class TestNumFormat : public QObject {
    Q_OBJECT
private slots:
    void format_data();
    void format();
    void formatRejectsBadFormatsAndArguments_data();
    void formatRejectsBadFormatsAndArguments();
    void formatFloat_data();
    void formatFloat();
    void floatToStrFNumber_data();
    void floatToStrFNumber();
    void strToFloat_data();
    void strToFloat();
    void strToFloatRejects_data();
    void strToFloatRejects();
    void strToInt();
    void rounding();
};

void TestNumFormat::format_data()
{
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");
    // Captions of the parameter labels and readouts (the table captions are
    // checked with their formatters).
    QTest::newRow("phase zero") << Format("%7.1n \u00B0", {0 * 1.5}) << "    0.0 \u00B0";
    QTest::newRow("general 0.5 one digit") << Format("%4.1g min", {0.5}) << " 0.5 min";
    QTest::newRow("general 8 one digit") << Format("%4.1g min", {8.0}) << "   8 min";
    QTest::newRow("general 16 one digit") << Format("%4.1g min", {16.0}) << " 2E1 min";
    QTest::newRow("general 32 one digit") << Format("%4.1g min", {32.0}) << " 3E1 min";
    QTest::newRow("integer width") << Format("%4d kHz", {50}) << "  50 kHz";
    QTest::newRow("integer") << Format("%d", {128}) << "128";
    QTest::newRow("amplitude") << Format("%3.2n Gs", {0.35f}) << "0.35 Gs";
    QTest::newRow("frequency step") << Format("%6.1n kHz", {500 * 0.001L}) << "   0.5 kHz";
    QTest::newRow("F2 modulation") << Format("%4.1n Hz", {float((0 - 128) * 0.1 + 38.0)}) << "25.2 Hz";
    QTest::newRow("out of range") << Format(" Out of range: %d ", {7}) << " Out of range: 7 ";
    QTest::newRow("peak distance") << Format(" DB: %6.2n ", {12.345L}) << " DB:  12.35 ";
    QTest::newRow("passes") << Format("%d of %d", {2, 5}) << "2 of 5";
    // Grouping and signs.
    QTest::newRow("negative grouped") << Format("%n", {-1234567.891L}) << "-1 234 567.89";
    QTest::newRow("negative carry into group") << Format("%.0n", {-999.5L}) << "-1 000";
    QTest::newRow("negative width") << Format("%10.1n", {-1234.56L}) << "  -1 234.6";
    QTest::newRow("grouping of three digits") << Format("%.0n", {123.0}) << "123";
    QTest::newRow("negative rounding to zero") << Format("%.1f", {-0.04}) << "0.0";
    // Rounding of halves: away from zero on the decimal digits.
    QTest::newRow("half up") << Format("%.2f", {0.125}) << "0.13";
    QTest::newRow("half of extended") << Format("%.2f", {1.005L}) << "1.01";
    QTest::newRow("half integer") << Format("%.0f", {2.5}) << "3";
    QTest::newRow("half negative") << Format("%.0f", {-2.5}) << "-3";
    QTest::newRow("below half") << Format("%.1f", {0.04999}) << "0.0";
    QTest::newRow("carry") << Format("%.2f", {9.999}) << "10.00";
    QTest::newRow("default decimals") << Format("%f|%n", {3.14159, 1234}) << "3.14|1 234.00";
    // Integers, texts, widths.
    QTest::newRow("left aligned") << Format("%-6d|", {42}) << "42    |";
    QTest::newRow("wider than width") << Format("%3d", {12345}) << "12345";
    QTest::newRow("minimum digits") << Format("%.4d", {-7}) << "-0007";
    QTest::newRow("hex") << Format("%x", {255}) << "FF";
    QTest::newRow("hex minimum digits") << Format("%.4x", {10}) << "000A";
    QTest::newRow("hex negative 32") << Format("%x", {-1}) << "FFFFFFFF";
    QTest::newRow("hex negative 64") << Format("%x", {-1LL}) << "FFFFFFFFFFFFFFFF";
    QTest::newRow("unsigned of negative") << Format("%u", {-1}) << "4294967295";
    QTest::newRow("64-bit") << Format("%d", {-9000000000LL}) << "-9000000000";
    QTest::newRow("text") << Format("[%5s|%-5s|%.2s]", {"ab", QStringLiteral("cd"), "xyz"}) << "[   ab|cd   |xy]";
    QTest::newRow("percent") << Format("100%% %d", {1}) << "100% 1";
    QTest::newRow("upper-case type") << Format("%D %N", {3, 4.5}) << "3 4.50";
    // Scientific and general forms.
    QTest::newRow("exponent default") << Format("%e", {1234.5}) << "1.23450000000000E+003";
    QTest::newRow("exponent negative") << Format("%.3e", {-0.00012345L}) << "-1.23E-004";
    QTest::newRow("exponent zero") << Format("%.2e", {0.0}) << "0.0E+000";
    QTest::newRow("general double") << Format("%g", {0.1}) << "0.1";
    QTest::newRow("general single") << Format("%g", {0.1f}) << "0.100000001490116";
    QTest::newRow("general zero") << Format("%g", {0}) << "0";
    QTest::newRow("general large") << Format("%g", {1e20}) << "1E20";
    QTest::newRow("general long") << Format("%g", {123456789012345678.0L}) << "1.23456789012346E17";
    QTest::newRow("general smallest fixed") << Format("%g", {0.00001L}) << "0.00001";
    QTest::newRow("general small") << Format("%g", {-0.0000015L}) << "-1.5E-6";
    QTest::newRow("general rounding up a digit") << Format("%.1g", {9.6}) << "1E1";
    QTest::newRow("not a number") << Format("%6.2n", {std::numeric_limits<double>::quiet_NaN()}) << "   NAN";
}

void TestNumFormat::format()
{
    QFETCH(QString, actual);
    QFETCH(QString, expected);
    QCOMPARE(actual, expected);
}

void TestNumFormat::formatRejectsBadFormatsAndArguments_data()
{
    QTest::addColumn<int>("which");
    QTest::newRow("float to integer") << 0;
    QTest::newRow("missing argument") << 1;
    QTest::newRow("integer to text") << 2;
    QTest::newRow("text to number") << 3;
    QTest::newRow("unknown type") << 4;
    QTest::newRow("trailing percent") << 5;
}

void TestNumFormat::formatRejectsBadFormatsAndArguments()
{
    QFETCH(int, which);
    const QString formats[] = {"%d", "%d of %d", "%s", "%6.2n", "%q", "50%"};
    try {
        switch (which) {
        case 0: Format(formats[0], {1.5}); break;
        case 1: Format(formats[1], {1}); break;
        case 2: Format(formats[2], {1}); break;
        case 3: Format(formats[3], {"12"}); break;
        default: Format(formats[which], {1}); break;
        }
        QFAIL("no error");
    } catch (const EConvertError& e) {
        QCOMPARE(e.Text(), QStringLiteral("Format '%1' invalid or incompatible with argument").arg(formats[which]));
    }
}

void TestNumFormat::formatFloat_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("axis grouped") << "# ##0.###" << 1234.5 << "1 234.5";
    QTest::newRow("axis zero") << "# ##0.###" << 0.0 << "0";
    QTest::newRow("axis negative") << "# ##0.###" << -1234567.8889 << "-1 234 567.889";
    QTest::newRow("axis tiny negative") << "# ##0.###" << -0.0004 << "0";
    QTest::newRow("axis carry into group") << "# ##0.###" << 999.9996 << "1 000";
    QTest::newRow("axis unit Gs") << "# ##0.### [Gs]" << -12.5 << "-12.5 [Gs]";
    QTest::newRow("axis unit kHz") << "# ##0.### [kHz]" << 250.0 << "250 [kHz]";
    QTest::newRow("axis fraction") << "# ##0.### [Gs]" << 0.125 << "0.125 [Gs]";
    QTest::newRow("integer half") << "0" << 2.5 << "3";
    QTest::newRow("integer negative half") << "0" << -2.5 << "-3";
    QTest::newRow("integer no grouping") << "0" << 12345.0 << "12345";
    QTest::newRow("two decimals") << "0.00" << 3.14159 << "3.14";
    QTest::newRow("two decimals padded") << "0.00" << 2.0 << "2.00";
    QTest::newRow("optional integer digit") << "#.##" << 0.5 << ".5";
    QTest::newRow("quoted literal") << "0.0 'Gs'" << 1.25 << "1.3 Gs";
    QTest::newRow("comma grouping") << "#,##0" << 1234567.0 << "1 234 567";
}

void TestNumFormat::formatFloat()
{
    QFETCH(QString, pattern);
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(FormatFloat(pattern, value), expected);
}

void TestNumFormat::floatToStrFNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("field") << 3288.1199 << "3 288.12";
    QTest::newRow("negative") << -12.5 << "-12.50";
    QTest::newRow("millions") << 1234567.891 << "1 234 567.89";
    QTest::newRow("nine significant digits") << 123456789.4 << "123 456 789.00";
    QTest::newRow("significant digits before decimals") << 1234567.896 << "1 234 567.90";
    QTest::newRow("too many integer digits") << 1234567890.0 << "1.23456789E9";
    QTest::newRow("zero") << 0.0 << "0.00";
    QTest::newRow("small negative") << -0.001 << "0.00";
}

void TestNumFormat::floatToStrFNumber()
{
    QFETCH(double, value);
    QFETCH(QString, expected);
    QCOMPARE(FloatToStrFNumber(value, 9, 2), expected);
}

void TestNumFormat::strToFloat_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("plain") << "3.5" << 3.5;
    QTest::newRow("blanks and sign") << " -2.25 " << -2.25;
    QTest::newRow("exponent") << "1e3" << 1000.0;
    QTest::newRow("exponent signed") << "2.5E-2" << 0.025;
    QTest::newRow("plus and no integer part") << "+.5" << 0.5;
    QTest::newRow("no decimals") << "5." << 5.0;
    QTest::newRow("label number") << "0.025" << 0.025;
}

void TestNumFormat::strToFloat()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(double(StrToFloat(text)), expected);
}

void TestNumFormat::strToFloatRejects_data()
{
    QTest::addColumn<QString>("text");
    for (const char* text : {"", " ", ",", "1,5", "1.2.3", ".", "abc", "1e", "e5", "inf", "nan", "1e99999", "0x10",
                             "1 000", "--1"})
        QTest::newRow(text) << QString::fromLatin1(text);
}

void TestNumFormat::strToFloatRejects()
{
    QFETCH(QString, text);
    try {
        StrToFloat(text);
        QFAIL("accepted");
    } catch (const EConvertError& e) {
        QCOMPARE(e.Text(), QStringLiteral("'%1' is not a valid floating point value").arg(text));
    }
}

void TestNumFormat::strToInt()
{
    QCOMPARE(StrToInt("42"), 42);
    QCOMPARE(StrToInt(" -7 "), -7);
    QCOMPARE(StrToInt("2147483647"), 2147483647);
    for (const QString text : {"", "4.2", "12a", "2147483648", "1 000"}) {
        try {
            StrToInt(text);
            QFAIL(qPrintable("accepted " + text));
        } catch (const EConvertError& e) {
            QCOMPARE(e.Text(), QStringLiteral("'%1' is not a valid integer value").arg(text));
        }
    }
    // A NUL character ends nothing: the text is refused, and the message shows it.
    try {
        StrToInt(QString::fromLatin1("1\0x", 3));
        QFAIL("accepted 1<00>x");
    } catch (const EConvertError& e) {
        QCOMPARE(e.Text(), QStringLiteral("'1<00>x' is not a valid integer value"));
    }
}

void TestNumFormat::rounding()
{
    const std::pair<long double, long long> halfEven[] = {
        {0.5L, 0}, {1.5L, 2}, {2.5L, 2}, {-0.5L, 0}, {-1.5L, -2}, {-2.5L, -2}, {2.5000001L, 3}, {-2.4999L, -2}};
    for (const auto& [v, expected] : halfEven)
        QCOMPARE(RoundHalfEven(v), expected);
    QCOMPARE(Trunc(1.7L), 1LL);
    QCOMPARE(Trunc(-1.7L), -1LL);
    QCOMPARE(Trunc(-0.2L), 0LL);
}

QTEST_MAIN(TestNumFormat)
#include "test_NumFormat.moc"
