#include "DataFile.h"
#include "FileSizeLimit.h"
#include "Real48.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <cmath>

namespace {

// File offsets of the header fields (header offset + 1 for the version byte).
enum : int {
    fComment = 1, fFrequency = 263, fB0 = 284, fSweepTp = 305, fSweepR = 309, fModAmp = 313,
    fSweepTime = 334, fGain = 355, fPhase = 376, fAcc = 397, fResonance = 401
};

// A spectrum file put together byte by byte from the layout, not by the writer.
class THandFile {
public:
    explicit THandFile(int version) : Bytes(1 + (version == 10 ? 400 : 424), '\0')
    {
        Bytes[0] = char(version);
        Text(fFrequency, "14 000.0 kHz");
        Text(fB0, "3 288.2 Gs");
        Text(fModAmp, "0.025 Gs");
        Text(fAcc, "1");
        Range(100);
    }
    THandFile& Text(int offset, const QByteArray& text)
    {
        Bytes[offset] = char(text.size());
        Bytes.replace(offset + 1, text.size(), text);
        return *this;
    }
    THandFile& Range(float r)
    {
        qToLittleEndian(r, Bytes.data() + fSweepR);
        return *this;
    }
    THandFile& Sums(std::initializer_list<int32_t> sums)
    {
        for (const int32_t s : sums) {
            char le[4];
            qToLittleEndian(s, le);
            Bytes.append(le, 4);
        }
        return *this;
    }
    QByteArray Bytes;
};

QList<double> Ys(const TSpectrum& s)
{
    QList<double> ys;
    for (const QPointF& p : s.Points)
        ys << p.y();
    return ys;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TDataHeader SampleHeader()
{
    TDataHeader h;
    h.Comment = QStringLiteral("water, 20 \u00B0C");
    h.Frequency = "14 000.0 kHz";
    h.B0 = "3 288.2 Gs";
    h.SweepTp = 1;
    h.SweepR = 2.5f;
    h.ModAmp = "0.025 Gs";
    h.SweepTime = "0.5 min";
    h.Gain = "60";
    h.Phase = QStringLiteral("180\u00B0");
    h.Acc = "3";
    h.Resonance = "NMR 1H &&19F";
    return h;
}

// The text of the error that f throws, as the operator would read it.
template <class E, class F>
QString ErrorOf(F&& f)
{
    try {
        f();
    } catch (const E& e) {
        return e.Text();
    }
    return QStringLiteral("<no error>");
}

} // namespace

class TestDataFile : public QObject {
    Q_OBJECT
private:
    QTemporaryDir FDir;

private slots:
    void ReadsAVersion11Header()
    {
        THandFile f(11);
        f.Text(fComment, "first \x95 run").Text(fSweepTime, "2 min").Text(fGain, "120")
            .Text(fPhase, "180\xB0").Text(fAcc, "7").Text(fResonance, "NMR 1H &&19F");
        f.Bytes[fSweepTp] = 1;
        f.Bytes[fComment + 100] = 'Z';  // beyond the comment's length: ignored
        f.Sums({7, 14});
        const TSpectrum s = ParseSpectrum(f.Bytes);
        QCOMPARE(s.Version, 11);
        QCOMPARE(s.Header.Comment, QStringLiteral("first \u2022 run"));
        QCOMPARE(s.Header.Frequency, QStringLiteral("14 000.0 kHz"));
        QCOMPARE(s.Header.B0, QStringLiteral("3 288.2 Gs"));
        QCOMPARE(s.Header.SweepTp, 1);
        QCOMPARE(s.Header.SweepR, 100.0f);
        QCOMPARE(s.Header.ModAmp, QStringLiteral("0.025 Gs"));
        QCOMPARE(s.Header.SweepTime, QStringLiteral("2 min"));
        QCOMPARE(s.Header.Gain, QStringLiteral("120"));
        QCOMPARE(s.Header.Phase, QStringLiteral("180\u00B0"));
        QCOMPARE(s.Header.Acc, QStringLiteral("7"));
        QCOMPARE(s.Header.Resonance, QStringLiteral("NMR 1H &&19F"));
        QCOMPARE(s.Acc, 7);
        QCOMPARE(s.ModAmp, RoundToReal48(0.025L));
        QCOMPARE(s.Frequency, 14000.0L);
        QCOMPARE(s.B0, RoundToReal48(3288.2L));
        QVERIFY(s.B0 != 3288.2L);  // held as a 6-byte real
        QCOMPARE(Ys(s), (QList<double>{1, 2}));
    }

    void Version10DerivesTheModeFromTheFrequency_data()
    {
        QTest::addColumn<QByteArray>("frequency");
        QTest::addColumn<QString>("mode");
        QTest::newRow("9") << QByteArray("9 500.0 kHz") << "ESR";
        QTest::newRow("5") << QByteArray("50 000.0 kHz") << "ESR";
        QTest::newRow("1") << QByteArray("14 000.0 kHz") << "NMR";
        QTest::newRow("0") << QByteArray("0.5 kHz") << "NMR";
    }
    void Version10DerivesTheModeFromTheFrequency()
    {
        QFETCH(QByteArray, frequency);
        QFETCH(QString, mode);
        THandFile f(10);
        f.Text(fFrequency, frequency).Text(fComment, "old").Sums({10, 20, 30});
        QCOMPARE(f.Bytes.size(), 1 + 400 + 12);  // points right after the 400-byte header
        const TSpectrum s = ParseSpectrum(f.Bytes);
        QCOMPARE(s.Version, 10);
        QCOMPARE(s.Header.Resonance, mode);
        QCOMPARE(s.Header.Comment, QStringLiteral("old"));
        QCOMPARE(Ys(s), (QList<double>{10, 20, 30}));
    }

    void MeansAreRoundedHalfToEvenAndClipped()
    {
        THandFile f(11);
        f.Text(fAcc, "10").Sums({15, 25, 35, -15, -25, 14});
        QCOMPARE(Ys(ParseSpectrum(f.Bytes)), (QList<double>{2, 2, 4, -2, -2, 1}));
        THandFile big(11);
        big.Text(fAcc, "99").Sums({600000, -600000, 49500, -49599});
        QCOMPARE(Ys(ParseSpectrum(big.Bytes)), (QList<double>{500, -500, 500, -500}));
    }

    void PointsSpanTheSweepCentredOnZero()
    {
        THandFile f(11);
        f.Range(100);
        for (int i = 0; i < 1024; ++i)
            f.Sums({i});
        QCOMPARE(f.Bytes.size(), 1 + 424 + 4 * 1024);
        const TSpectrum s = ParseSpectrum(f.Bytes);
        QCOMPARE(s.Points.size(), std::size_t(1024));
        QCOMPARE(s.XStep, 100.0 / 1023);
        QCOMPARE(s.Points.front().x(), -50.0);
        QCOMPARE(s.Points[1].x(), -50 + 100.0 / 1023);
        QVERIFY(std::abs(s.Points.back().x() - 50) < 1e-9);
        QCOMPARE(s.Points[1023].y(), 500.0);
    }

    void TrailingBytesAreIgnored()
    {
        for (int extra = 1; extra <= 3; ++extra) {
            THandFile f(11);
            f.Sums({1, 2});
            f.Bytes.append(QByteArray(extra, '\x7F'));
            QCOMPARE(ParseSpectrum(f.Bytes).Points.size(), std::size_t(2));
        }
    }

    void OverlongLengthBytesStayInsideTheirField()
    {
        THandFile f(11);
        f.Bytes[fFrequency] = char(200);
        f.Bytes.replace(fFrequency + 1, 20, "14 000.0 kHz        ");
        f.Sums({0, 0});
        const TSpectrum s = ParseSpectrum(f.Bytes);
        QCOMPARE(s.Header.Frequency.size(), 20);
        QCOMPARE(s.Header.B0, QStringLiteral("3 288.2 Gs"));
    }

    void WriterFollowsTheLayout()
    {
        TDataHeader h = SampleHeader();
        h.Comment = QString(299, 'c') + 'd';
        h.Acc = "1000";
        h.Gain = QString(25, 'g');
        const std::vector<int32_t> sums = {-1, 0x01020304};
        const QByteArray b = SpectrumFileBytes(h, sums);
        QCOMPARE(b.size(), 1 + 424 + 8);
        QCOMPARE(b[0], char(11));
        QCOMPARE(uint8_t(b[fComment]), uint8_t(255));
        QCOMPARE(b.mid(fComment + 1, 255), QByteArray(255, 'c'));
        QCOMPARE(b.mid(fPhase, 5), QByteArray("\x04" "180\xB0"));
        QCOMPARE(b.mid(fResonance, 13), QByteArray("\x0C" "NMR 1H &&19F"));
        QCOMPARE(b.mid(fAcc, 4), QByteArray("\x03" "100"));
        QCOMPARE(b.mid(fGain, 21), QByteArray(1, 20) + QByteArray(20, 'g'));
        QCOMPARE(b.mid(fFrequency, 13), QByteArray("\x0C" "14 000.0 kHz"));
        QCOMPARE(b.mid(fSweepTime, 8), QByteArray("\x07" "0.5 min"));
        QCOMPARE(b[fSweepTp], char(1));
        QCOMPARE(qFromLittleEndian<float>(b.constData() + fSweepR), 2.5f);
        QCOMPARE(b.mid(425), QByteArray("\xFF\xFF\xFF\xFF\x04\x03\x02\x01", 8));
        QCOMPARE(b.mid(257, 6), QByteArray(6, '\0'));  // reserved
    }

    void WrittenFilesReadBack()
    {
        const QString path = FDir.filePath("run1.dcw");
        const TDataHeader h = SampleHeader();
        const std::vector<int32_t> sums = {30, -31, 3, 1502, -1600, 0};
        WriteSpectrumFile(path, h, sums);
        const TSpectrum s = ReadSpectrumFile(path);
        QVERIFY(s.Header == h);
        QCOMPARE(s.Acc, 3);
        QCOMPARE(Ys(s), (QList<double>{10, -10, 1, 500, -500, 0}));
        QCOMPARE(s.Points.front().x(), -1.25);
        QCOMPARE(s.Points.back().x(), 1.25);
        // A second write replaces the file.
        WriteSpectrumFile(path, h, std::vector<int32_t>{1, 2});
        QCOMPARE(QFileInfo(path).size(), 1 + 424 + 8);
    }

    void UnreadableFilesAreRefused()
    {
        QCOMPARE(ErrorOf<EFileFormatError>([] { ParseSpectrum(QByteArray("\x0C", 1) + QByteArray(500, '\0')); }),
                 QStringLiteral("file format error"));
        QCOMPARE(ErrorOf<EFileFormatError>([] { ParseSpectrum(QByteArray()); }), QStringLiteral("file format error"));
        THandFile cut(11);
        cut.Bytes.chop(1);
        QVERIFY(ErrorOf<EFileError>([&] { ParseSpectrum(cut.Bytes); }).contains("ends inside its header"));
        THandFile cut10(10);
        QVERIFY(ErrorOf<EFileError>([&] { ParseSpectrum(cut10.Bytes.left(400)); }).contains("header"));
        QVERIFY(ErrorOf<EFileError>([&] { ReadSpectrumFile(FDir.filePath("none.dcw")); }).contains("none.dcw"));
    }

    void BadAccumulationsOrTooFewPointsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("acc");
        QTest::addColumn<int>("points");
        QTest::addColumn<QString>("message");
        QTest::newRow("acc 0") << QByteArray("0") << 3 << "accumulations \"0\"";
        QTest::newRow("acc negative") << QByteArray("-2") << 3 << "accumulations \"-2\"";
        QTest::newRow("acc not a number") << QByteArray("1a") << 3 << "accumulations \"1a\"";
        QTest::newRow("acc empty") << QByteArray() << 3 << "accumulations \"\"";
        QTest::newRow("acc with a NUL byte") << QByteArray("1\0x", 3) << 3 << "accumulations \"1<00>x\" in the spectrum file";
        QTest::newRow("one point") << QByteArray("1") << 1 << "holds 1 data point";
        QTest::newRow("no point") << QByteArray("1") << 0 << "holds 0 data point";
    }
    void BadAccumulationsOrTooFewPointsAreRefused()
    {
        QFETCH(QByteArray, acc);
        QFETCH(int, points);
        QFETCH(QString, message);
        THandFile f(11);
        f.Text(fAcc, acc);
        for (int i = 0; i < points; ++i)
            f.Sums({5});
        QVERIFY2(ErrorOf<EFileError>([&] { ParseSpectrum(f.Bytes); }).contains(message),
                 qPrintable(ErrorOf<EFileError>([&] { ParseSpectrum(f.Bytes); })));
    }

    void UnusableNumbersAreRefused()
    {
        // The message names the field and its text.
        for (const auto& [offset, field] : {std::pair{fModAmp, "ModAmp"}, {fFrequency, "Frequency"}, {fB0, "B0"}})
            for (const char* text : {"abc", "", "nan Gs"}) {
                THandFile f(11);
                f.Text(offset, text).Sums({1, 2});
                QCOMPARE(ErrorOf<EConvertError>([&] { ParseSpectrum(f.Bytes); }),
                         QStringLiteral("The %1 text \"%2\" of the spectrum file is not a number.")
                             .arg(QLatin1String(field), QLatin1String(text)));
            }
        for (const float range : {0.0f, -10.0f, std::nanf(""), INFINITY, 1.4e-45f, 0.00099f, 100001.0f, 3.4e38f}) {
            THandFile f(11);
            f.Range(range).Sums({1, 2});
            QVERIFY(ErrorOf<EFileError>([&] { ParseSpectrum(f.Bytes); }).contains("sweep range"));
        }
        for (const float range : {0.001f, 100000.0f}) {
            THandFile f(11);
            f.Range(range).Sums({1, 2});
            QCOMPARE(ParseSpectrum(f.Bytes).XStep, double(range));
        }
    }

    // A negative modulation, or one wider than the sweep (100 Gs), is left out of the fit, with a word.
    void ModulationForTheFit()
    {
        const struct {
            const char* ModAmp;
            double FitModAmp;
            const char* Warning;
        } rows[] = {{"2.5 Gs", 2.5, ""},
                    {"-5 Gs", 0, "\"-5 Gs\" is negative"},
                    {"1e30 Gs", 0, "\"1e30 Gs\" is wider than the sweep"},
                    {"150 Gs", 0, "\"150 Gs\" is wider than the sweep"}};
        for (const auto& row : rows) {
            THandFile f(11);
            f.Text(fModAmp, row.ModAmp).Sums({1, 2});
            f.Bytes[fSweepTp] = 1;
            const TSpectrum s = ParseSpectrum(f.Bytes);
            QCOMPARE(s.FitModAmp, row.FitModAmp);
            QVERIFY2(*row.Warning ? s.FitModAmpWarning.contains(QLatin1String(row.Warning)) : s.FitModAmpWarning.isEmpty(),
                     qPrintable(s.FitModAmpWarning));
        }
    }

    void MoreThan999PassesAreNotStored()
    {
        const QString path = FDir.filePath("sum.dcw");
        TDataHeader h = SampleHeader();
        h.Acc = QStringLiteral("1000");
        QCOMPARE(ErrorOf<EFileError>([&] { WriteSpectrumFile(path, h, std::vector<int32_t>{1, 2}); }),
                 QStringLiteral("A spectrum file holds a sum of at most 999 passes, not 1000."));
        QVERIFY(!QFileInfo::exists(path));
        h.Acc = QStringLiteral("999");
        WriteSpectrumFile(path, h, std::vector<int32_t>{1, 2});
        QCOMPARE(ReadSpectrumFile(path).Acc, 999);
    }

    void WritingIntoAMissingFolderWritesNothing()
    {
        const QString path = FDir.filePath("sub/run1.dcw");
        QCOMPARE(ErrorOf<EPathNotFound>([&] { WriteSpectrumFile(path, SampleHeader(), std::vector<int32_t>{1, 2}); }),
                 QStringLiteral("Path not found !"));
        QVERIFY(!QFileInfo::exists(FDir.filePath("sub")));
        // A folder in the place of the file: it cannot be created, but the path exists.
        QDir(FDir.path()).mkdir("taken.dcw");
        const QString error = ErrorOf<EFileError>(
            [&] { WriteSpectrumFile(FDir.filePath("taken.dcw"), SampleHeader(), std::vector<int32_t>{1, 2}); });
        QVERIFY(error.contains("taken.dcw"));
        QVERIFY(error != QStringLiteral("Path not found !"));
    }

    void AFailedWriteKeepsTheOldFile()
    {
        const QString path = FDir.filePath("kept.dcw");
        WriteSpectrumFile(path, SampleHeader(), std::vector<int32_t>{1, 2});
        const QByteArray before = ReadAll(path);
        const std::vector<int32_t> many(4096, 7);
        QString error;
        {
            const TFileSizeLimit limit(1000);  // nothing may be logged while it holds
            error = ErrorOf<EFileError>([&] { WriteSpectrumFile(path, SampleHeader(), many); });
        }
        QVERIFY(error.contains("kept.dcw"));
        QCOMPARE(ReadAll(path), before);
    }
};

QTEST_MAIN(TestDataFile)
#include "test_DataFile.moc"
