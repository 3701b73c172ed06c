// The readers of other programs' spectrum files: published files against the
// text twins their instruments exported, damaged files refused with the file
// and the key named, the compressed forms of JCAMP-DX, the recognition of a
// format, text columns, and measurements that do not depend on the y scale.
#include "Bes3tFile.h"
#include "EspFile.h"
#include "JcampDx.h"
#include "JcampDxTable.h"
#include "PublishedSpectra.h"
#include "SampleSpectra.h"
#include "SpectrumFiles.h"
#include "SpectrumReport.h"
#include "TextSpectrum.h"

#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

namespace {

QByteArray BigEndianDoubles(const std::vector<double>& values)
{
    QByteArray bytes(qsizetype(values.size()) * 8, '\0');
    for (size_t i = 0; i < values.size(); ++i)
        qToBigEndian(values[i], bytes.data() + 8 * i);
    return bytes;
}

// A one-dimensional field sweep of `points` values from 3300 G over 30 G.
QByteArray Descriptor(int points)
{
    return QStringLiteral("#DESC\t1.2\nBSEQ\tBIG\nIKKF\tREAL\nXTYP\tIDX\nYTYP\tNODATA\nIRFMT\tD\nXPTS\t%1\n"
                          "XMIN\t3300\nXWID\t30\nXUNI\t'G'\nMWFQ\t9.5e9\n")
        .arg(points)
        .toLatin1();
}

// Reads bytes as the format's reader does, the pair's files named a.DSC and
// a.DTA, a.par and a.spc, a.jdx or a.txt.
TSpectrum Parse(const QString& format, const QByteArray& first, const QByteArray& second)
{
    if (format == QLatin1String("bes3t"))
        return ParseBes3t(first, second, QStringLiteral("a.DSC"), QStringLiteral("a.DTA"));
    if (format == QLatin1String("esp"))
        return ParseEsp(first, second, QStringLiteral("a.par"), QStringLiteral("a.spc"));
    if (format == QLatin1String("jcamp"))
        return ParseJcampDx(first, QStringLiteral("a.jdx"));
    return ParseTextSpectrum(first, QStringLiteral("a.txt"));
}

QByteArray JcampHeader(int points)
{
    return QStringLiteral("##TITLE=test\n##JCAMP-DX=5.01\n##DATA TYPE=ESR SPECTRUM\n##XUNITS=GAUSS\n##FIRSTX=100\n"
                          "##LASTX=%1\n##NPOINTS=%2\n")
        .arg(100 + points - 1)
        .arg(points)
        .toLatin1();
}

// The spectrum's values as the processing routines read them.
std::vector<double> Values(const TSpectrum& s)
{
    return TSpectrumArrays(s).Y;
}

} // namespace

class TestSpectrumFormats : public QObject {
    Q_OBJECT
private slots:
    void publishedFilesAgreeWithTheirTextTwins_data();
    void publishedFilesAgreeWithTheirTextTwins();
    void binaryNumberFormatsAndUnits_data();
    void binaryNumberFormatsAndUnits();
    void damagedFilesRefusedNamingFileAndKey_data();
    void damagedFilesRefusedNamingFileAndKey();
    void jcampFormsDecodeAlike_data();
    void jcampFormsDecodeAlike();
    void publishedDifDupDecodesToItsOwnHeader();
    void formatRecognisedByContentThenExtension_data();
    void formatRecognisedByContentThenExtension();
    void textColumnsAndDecimalSeparators_data();
    void textColumnsAndDecimalSeparators();
    void measurementsDoNotDependOnTheScale_data();
    void measurementsDoNotDependOnTheScale();
};

void TestSpectrumFormats::publishedFilesAgreeWithTheirTextTwins_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("twin");
    QTest::addColumn<double>("frequencyKHz");
    QTest::addColumn<double>("modAmpPeak");
    QTest::addColumn<int>("scans");
    // The ESP pair is opened through its data file.
    QTest::newRow("BES3T") << "Aminoxyl_radical_a.DSC" << "Aminoxyl_radical_a.txt" << 9806665.0 << 0.6 << 31;
    QTest::newRow("ESP") << "TMPD_specelchem_accu_b.spc" << "TMPD_specelchem_accu_b.asc" << 9814155.0 << 0.25 << 20;
}

void TestSpectrumFormats::publishedFilesAgreeWithTheirTextTwins()
{
    QFETCH(QString, file);
    QFETCH(QString, twin);
    QFETCH(double, frequencyKHz);
    QFETCH(double, modAmpPeak);
    QFETCH(int, scans);
    const TSpectrum s = ReadAnySpectrumFile(PublishedSpectrum(file));
    const TTwin expected = ReadTwin(twin);
    QCOMPARE(s.Points.size(), expected.Y.size());
    double high = 0;
    for (const double y : expected.Y)
        high = std::max(high, std::abs(y));
    for (size_t i = 0; i < expected.Y.size(); ++i) {
        // The twins print the field to 1e-6 G, or as a float (about 2e-4 G at 3400 G).
        QVERIFY2(std::abs(double(s.B0) + s.Points[i].x() - expected.X[i]) < 1e-3, qPrintable(QString::number(i)));
        QVERIFY2(std::abs(s.Points[i].y() - expected.Y[i]) <= 1e-12 * high, qPrintable(QString::number(i)));
    }
    QCOMPARE(double(s.Frequency), frequencyKHz);
    QVERIFY(std::abs(double(s.ModAmp) - modAmpPeak) < 1e-12);
    QCOMPARE(s.Acc, scans);
    QCOMPARE(s.Header.Resonance, QStringLiteral("ESR"));
    QVERIFY(!s.YScale.Clipped);
    QVERIFY(!s.NotInFile.Any());

    // The twin itself, read as a text spectrum: the same values on the same axis.
    const TSpectrum text = ReadAnySpectrumFile(PublishedSpectrum(twin));
    QCOMPARE(text.Format, TSpectrumFormat::Text);
    const std::vector<double> textValues = Values(text), values = Values(s);
    QCOMPARE(textValues.size(), values.size());
    for (size_t i = 0; i < values.size(); ++i)
        QVERIFY(std::abs(textValues[i] - values[i]) <= 1e-12 * high);
    QVERIFY(std::abs(text.SweepRange - s.SweepRange) < 1e-3);
    QVERIFY(std::abs(double(text.B0 - s.B0)) < 1e-3);
    QVERIFY(text.NotInFile.Frequency && text.NotInFile.ModAmp);
}

// The values 1, 2, 3, -4 over 300 G from 3300 G in each number format and
// byte order, the axis in G, mT or T.
void TestSpectrumFormats::binaryNumberFormatsAndUnits_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    const auto values = [](auto zero, bool big) {
        QByteArray bytes;
        for (const auto v : {1, 2, 3, -4}) {
            char item[sizeof zero];
            if (big)
                qToBigEndian(decltype(zero)(v), item);
            else
                qToLittleEndian(decltype(zero)(v), item);
            bytes.append(item, sizeof item);
        }
        return bytes;
    };
    const auto dsc = [](const char* format, const char* order, const char* axis) {
        return QStringLiteral("#DESC\nBSEQ %1\nIRFMT %2\nXTYP IDX\nXPTS 4\n%3\n").arg(order, format, axis).toLatin1();
    };
    QTest::newRow("BES3T floats, little-endian, mT") << "bes3t" << dsc("F", "LIT", "XMIN 330\nXWID 30\nXUNI 'mT'") << values(float(0), false);
    QTest::newRow("BES3T 32-bit, big-endian, G") << "bes3t" << dsc("I", "BIG", "XMIN 3300\nXWID 300\nXUNI 'G'") << values(int32_t(0), true);
    QTest::newRow("BES3T 16-bit, little-endian, T") << "bes3t" << dsc("S", "LIT", "XMIN 0.33\nXWID 0.03\nXUNI 'T'") << values(int16_t(0), false);
    QTest::newRow("BES3T 8-bit, G") << "bes3t" << dsc("C", "BIG", "XMIN 3300\nXWID 300\nXUNI 'G'") << values(int8_t(0), true);
    QTest::newRow("ESP big-endian floats") << "esp" << QByteArray("ANZ 4\nHCF 3450\nHSW 300\n") << values(float(0), true);
    QTest::newRow("ESP whole numbers told by MIN and MAX")
        << "esp" << QByteArray("DOS  Format\r\nANZ 4\r\nGST 3300\r\nGSI 300\r\nMIN -4.000000\r\nMAX 3.000000\r\n")
        << values(int32_t(0), false);
}

void TestSpectrumFormats::binaryNumberFormatsAndUnits()
{
    QFETCH(QString, format);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    const TSpectrum s = Parse(format, first, second);
    QCOMPARE(Values(s), (std::vector<double>{1, 2, 3, -4}));
    QVERIFY(std::abs(s.SweepRange - 300) < 1e-9);
    QVERIFY(std::abs(double(s.B0) - 3450) < 1e-9);
}

void TestSpectrumFormats::damagedFilesRefusedNamingFileAndKey_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");
    QTest::addColumn<QStringList>("named");   // the file, the key and what is wrong

    const QByteArray four = BigEndianDoubles({1, 2, 3, 4});
    const QByteArray dsc = Descriptor(4);
    QTest::newRow("BES3T XPTS beyond the data") << "bes3t" << Descriptor(5) << four << QStringList{"a.DTA", "XPTS 5"};
    QTest::newRow("BES3T XPTS absurd") << "bes3t" << Descriptor(1 << 30) << four << QStringList{"a.DSC", "XPTS"};
    QTest::newRow("BES3T XWID 0") << "bes3t" << QByteArray(dsc).replace("XWID\t30", "XWID\t0") << four
                                  << QStringList{"a.DSC", "XWID is 0"};
    QTest::newRow("BES3T complex") << "bes3t" << QByteArray(dsc).replace("IKKF\tREAL", "IKKF\tCPLX") << four
                                   << QStringList{"a.DSC", "IKKF", "complex"};
    QTest::newRow("BES3T time axis") << "bes3t" << QByteArray(dsc).replace("'G'", "'s'") << four
                                     << QStringList{"a.DSC", "XUNI"};
    QTest::newRow("BES3T NaN") << "bes3t" << dsc << BigEndianDoubles({1, NAN, 3, 4}) << QStringList{"a.DSC", "point 2"};
    QTest::newRow("BES3T published 2-D") << "bes3t" << PublishedBytes("Triarylamine_radCat_decay_a.DSC") << QByteArray()
                                         << QStringList{"a.DSC", "YTYP", "YPTS 100", "two-"};

    const QByteArray par = "DOS  Format\rANZ 3\rGST 3400\rGSI 20\rMF  9.5\rMIN 1\rMAX 3\r";
    QByteArray floats(12, '\0');
    for (int i = 0; i < 3; ++i)
        qToLittleEndian(float(i + 1), floats.data() + 4 * i);
    QTest::newRow("ESP truncated data") << "esp" << par << floats.left(10) << QStringList{"a.spc", "ANZ 3"};
    QTest::newRow("ESP extremes disagree") << "esp" << QByteArray(par).replace("MAX 3", "MAX 7") << floats
                                           << QStringList{"a.spc", "MIN 1", "MAX 7"};
    QTest::newRow("ESP no axis") << "esp" << QByteArray(par).replace("GSI 20", "") << floats << QStringList{"a.par", "GSI"};
    QTest::newRow("ESP published series") << "esp" << PublishedBytes("TMPD_specelchem_CV_b.par") << QByteArray()
                                          << QStringList{"a.par", "SSY is 21"};

    QTest::newRow("JCAMP-DX truncated") << "jcamp" << JcampHeader(10) + "##XYDATA=(X++(Y..Y))\n100 1 2 3 4 5 6\n##END=\n"
                                        << QByteArray() << QStringList{"a.jdx", "6 points", "NPOINTS is 10"};
    QTest::newRow("JCAMP-DX repeat beyond NPOINTS")
        << "jcamp" << JcampHeader(4) + "##XYDATA=(X++(Y..Y))\n100 5s999999999\n##END=\n" << QByteArray()
        << QStringList{"a.jdx", "NPOINTS 4"};
    QTest::newRow("JCAMP-DX y check") << "jcamp" << JcampHeader(4) + "##XYDATA=(X++(Y..Y))\n100A0J2\n101A3J1\n##END=\n"
                                      << QByteArray() << QStringList{"a.jdx", "line 2", "y check"};
    QTest::newRow("JCAMP-DX infrared") << "jcamp" << QByteArray(JcampHeader(2)).replace("GAUSS", "1/CM") + "##XYDATA=(X++(Y..Y))\n100 1 2\n##END=\n"
                                       << QByteArray() << QStringList{"a.jdx", "XUNITS", "1/CM"};
    QTest::newRow("JCAMP-DX NTUPLES") << "jcamp" << JcampHeader(2) + "##NTUPLES=NMR SPECTRUM\n##END NTUPLES=\n##END=\n"
                                      << QByteArray() << QStringList{"a.jdx", "NTUPLES"};
    QTest::newRow("JCAMP-DX published, LASTX off") << "jcamp" << PublishedBytes("MiniDIFDUP.JDX") << QByteArray()
                                                   << QStringList{"a.jdx", "line 3", "x check"};

    QTest::newRow("text uneven") << "text" << QByteArray("1.0 5\n2.0 6\n3.0 7\n5.0 8\n") << QByteArray()
                                 << QStringList{"a.txt", "evenly", "point 2"};
    QTest::newRow("text stops being numbers") << "text" << QByteArray("x y\n1 5\n2 6\nslice 2\n3 7\n") << QByteArray()
                                              << QStringList{"a.txt", "line 4"};
    QTest::newRow("text of one point") << "text" << QByteArray("1 5\n") << QByteArray() << QStringList{"a.txt", "1 point"};
}

void TestSpectrumFormats::damagedFilesRefusedNamingFileAndKey()
{
    QFETCH(QString, format);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QFETCH(QStringList, named);
    QString message;
    try {
        Parse(format, first, second);
    } catch (const EFileError& e) {
        message = e.Text();
    }
    QVERIFY2(!message.isEmpty(), "not refused");
    for (const QString& part : named)
        QVERIFY2(message.contains(part), qPrintable(message + QStringLiteral(" lacks ") + part));
}

// The values 10 12 15 15 15 11 5 -3 -3 0 on x = 100 ... 109 G in every form.
void TestSpectrumFormats::jcampFormsDecodeAlike_data()
{
    QTest::addColumn<QByteArray>("table");
    QTest::newRow("AFFN") << QByteArray("##XYDATA=(X++(Y..Y))\n100 10 12 15 15 15\n105 11, 5, -3, -3, 0 $$ note\n");
    QTest::newRow("AFFN exponent") << QByteArray("##XYDATA=(X++(Y..Y))\n100 1E+01 1.2E+01 15 15 15 11 5 -3 -3 0\n");
    QTest::newRow("PAC") << QByteArray("##XYDATA=(X++(Y..Y))\n100+10+12+15+15+15\n105+11+5-3-3+0\n");
    QTest::newRow("SQZ") << QByteArray("##XYDATA=(X++(Y..Y))\n100A0A2A5A5A5\n105A1Ecc@\n");
    QTest::newRow("SQZ DUP, CR line ends") << QByteArray("##XYDATA=(X++(Y..Y))\r100A0A2A5U\r105A1EcT@\r");
    QTest::newRow("DIF") << QByteArray("##XYDATA=(X++(Y..Y))\n100A0KL%%\n104A5moq%L\n109@\n");
    QTest::newRow("DIF DUP") << QByteArray("##XYDATA=(X++(Y..Y))\n100A0KL%T\n104A5moq%L\n109@\n");
    QTest::newRow("XYPOINTS") << QByteArray("##XYPOINTS=(XY..XY)\n100,10; 101,12; 102,15; 103,15\n104,15 105,11 106,5;"
                                            " 107,-3; 108,-3; 109,0\n");
}

void TestSpectrumFormats::jcampFormsDecodeAlike()
{
    QFETCH(QByteArray, table);
    const TSpectrum s = ParseJcampDx(JcampHeader(10) + table + "##END=\n", QStringLiteral("a.jdx"));
    QCOMPARE(Values(s), (std::vector<double>{10, 12, 15, 15, 15, 11, 5, -3, -3, 0}));
    QCOMPARE(s.SweepRange, 9.0);
    QCOMPARE(double(s.B0), 104.5);
    QCOMPARE(s.Header.Resonance, QStringLiteral("ESR"));
}

// A published DIF/DUP table on the grid of its own DELTAX: the point count,
// first value and extremes its header states.
void TestSpectrumFormats::publishedDifDupDecodesToItsOwnHeader()
{
    const QByteArray file = PublishedBytes(QStringLiteral("MiniDIFDUP.JDX"));
    QVERIFY(!file.isEmpty());
    // The views point into the split lines, which must outlive them.
    const QList<QByteArray> split = file.split('\n');
    std::vector<QByteArrayView> lines;
    for (const QByteArray& line : split)
        if (!line.startsWith("##") && !line.trimmed().isEmpty())
            lines.push_back(QByteArrayView(line).trimmed());
    const double xFactor = 4.882812500E-4, yFactor = 1.220703125E-2;
    const TJcampValues values = DecodeXyData(lines, TJcampGrid{2373.973, -9.64245605E-1, xFactor, 584}, QStringLiteral("MiniDIFDUP.JDX"));
    QCOMPARE(values.Y.size(), size_t(584));
    QVERIFY(std::abs(values.Y.front() * yFactor - 91.46729) < yFactor);
    const auto [low, high] = std::minmax_element(values.Y.begin(), values.Y.end());
    QVERIFY(*high * yFactor <= 95.83563804 && *low * yFactor >= -2.87246704E-1);
}

void TestSpectrumFormats::formatRecognisedByContentThenExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<int>("format");   // -1: refused
    QTest::newRow("own extension wins") << "run1.dcw" << QByteArray("##TITLE=") << int(TSpectrumFormat::Dcw);
    QTest::newRow("version byte, binary") << "run1" << QByteArray("\x0b\x05hello\0\0", 9) << int(TSpectrumFormat::Dcw);
    QTest::newRow("descriptor by content") << "sweep.dat" << QByteArray("#DESC\t1.2") << int(TSpectrumFormat::Bes3t);
    QTest::newRow("JCAMP-DX named .txt") << "nmr.txt" << QByteArray("\r\n##TITLE=a\r\n") << int(TSpectrumFormat::JcampDx);
    QTest::newRow("ESP parameters") << "params" << QByteArray("DOS  Format\rANZ 3\rHCF 3400\r") << int(TSpectrumFormat::Esp);
    QTest::newRow("ESP by name") << "tempo.PAR" << QByteArray("JCO x\r") << int(TSpectrumFormat::Esp);
    QTest::newRow("text") << "data.csv" << QByteArray("3400,1\n3401,2\n") << int(TSpectrumFormat::Text);
    QTest::newRow("picture") << "image.png" << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << -1;
}

void TestSpectrumFormats::formatRecognisedByContentThenExtension()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, head);
    QFETCH(int, format);
    if (format < 0) {
        QVERIFY_THROWS_EXCEPTION(EFileError, RecogniseSpectrumFormat(name, head));
        return;
    }
    QCOMPARE(int(RecogniseSpectrumFormat(name, head)), format);
}

void TestSpectrumFormats::textColumnsAndDecimalSeparators_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("tab, point, header") << QByteArray("Field [G]\tIntensity\n3400.0\t1.5\n3400.5\t-2\n3401.0\t0.25\n");
    QTest::newRow("semicolon, comma") << QByteArray("x;y\r\n3400,0;1,5\r\n3400,5;-2\r\n3401,0;0,25\r\n");
    QTest::newRow("comma, point") << QByteArray("3400.0,1.5\n3400.5,-2\n3401.0,0.25\n");
    QTest::newRow("blank, comma") << QByteArray("# comment\n3400,0 1,5\n3400,5 -2\n3401,0 0,25\n");
    QTest::newRow("index column, mT") << QByteArray("index  Field [mT]  Intensity []\n\n1 340.00 1.5\n2 340.05 -2\n3 340.10 0.25\n");
    QTest::newRow("falling x, CR line ends") << QByteArray("3401.0 0.25\r3400.5 -2\r3400.0 1.5\r");
}

void TestSpectrumFormats::textColumnsAndDecimalSeparators()
{
    QFETCH(QByteArray, text);
    const TSpectrum s = ParseTextSpectrum(text, QStringLiteral("a.txt"));
    QCOMPARE(Values(s), (std::vector<double>{1.5, -2, 0.25}));
    QVERIFY(std::abs(s.SweepRange - 1.0) < 1e-12);
    QVERIFY(std::abs(double(s.B0) - 3400.5) < 1e-9);
    QCOMPARE(s.Header.SweepTp, uint8_t(1));
}

void TestSpectrumFormats::measurementsDoNotDependOnTheScale_data()
{
    QTest::addColumn<double>("factor");
    QTest::addColumn<double>("offset");
    QTest::newRow("small values") << 1e-4 << 0.016;
    QTest::newRow("large values, none below 500") << 1e4 << 1.6e6;
}

// A noisy line stored as a .dcw file and the same values times a factor on an
// offset read from a BES3T file: positions, widths and moments alike, the
// integral and the noise scaled, the same checks. (The imported values, all
// positive, reach about 340 times the factor, which puts the axis at 500
// times the factor, so that a count means the same.)
void TestSpectrumFormats::measurementsDoNotDependOnTheScale()
{
    QFETCH(double, factor);
    QFETCH(double, offset);
    std::vector<int32_t> sums = LorentzDerivative(1024, 25, 300, 20);
    QRandomGenerator random(7);
    for (int32_t& v : sums)
        v += int32_t(random.bounded(9)) - 4;
    const TSpectrum dcw = ParseSpectrum(SpectrumFileBytes(EsrHeader(), sums));
    std::vector<double> scaled;
    for (const int32_t v : sums)
        scaled.push_back(v * factor + offset);
    const QByteArray dsc = QStringLiteral("#DESC\nIRFMT\tD\nXTYP\tIDX\nXPTS\t1024\nXMIN\t3365\nXWID\t50\nXUNI\t'G'\n"
                                          "MWFQ\t9.5e9\nB0MA\t1e-4\n").toLatin1();
    const TSpectrum imported = ParseBes3t(dsc, BigEndianDoubles(scaled), QStringLiteral("a.DSC"), QStringLiteral("a.DTA"));
    QCOMPARE(imported.YScale.Unit(), factor);

    const TSpectrumReport a = MeasureSpectrum(dcw), b = MeasureSpectrum(imported);
    const auto same = [](double x, double y) { return std::abs(x - y) <= 1e-9 * std::max(std::abs(x), 1.0); };
    QCOMPARE(b.Centre, a.Centre);
    for (const auto& [va, vb] : {std::pair{&a.Derivative, &b.Derivative}, {&a.Absorption, &b.Absorption}}) {
        QCOMPARE(vb->Cursors.Left, va->Cursors.Left);
        QCOMPARE(vb->Cursors.Right, va->Cursors.Right);
        QVERIFY(same(vb->Moments.M2, va->Moments.M2));
    }
    QVERIFY(same(b.SDB, a.SDB));
    QVERIFY(a.HDB && b.HDB && same(*b.HDB, *a.HDB));
    QVERIFY(same(double(b.AI) / factor, double(a.AI)));
    QVERIFY(same(b.Noise / factor, a.Noise));
    QVERIFY(a.G && b.G && same(*b.G, *a.G));
    QCOMPARE(b.Warnings.size(), a.Warnings.size());
    for (size_t i = 0; i < a.Warnings.size(); ++i)
        QCOMPARE(b.Warnings[i].Code, a.Warnings[i].Code);
}

QTEST_GUILESS_MAIN(TestSpectrumFormats)
#include "test_SpectrumFormats.moc"
