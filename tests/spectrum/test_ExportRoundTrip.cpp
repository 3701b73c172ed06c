// Spectra written for other programs and read back: a .dcw spectrum through
// BES3T (checked by a reader of this test's own) and through JCAMP-DX, plain
// and compressed, keeps its values and parameters; values of another
// program's file keep them to the written precision; an export never
// replaces the file it was read from.
#include "Bes3tFile.h"
#include "JcampDx.h"
#include "PublishedSpectra.h"
#include "SampleSpectra.h"
#include "SpectrumExport.h"
#include "SpectrumFiles.h"
#include "SpectrumReport.h"

#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

// The stored spectra: an NMR and an ESR field sweep and an NMR frequency sweep.
TSpectrum Stored(const QString& kind)
{
    TDataHeader h = kind == QLatin1String("ESR") ? EsrHeader() : NmrHeader();
    if (kind == QLatin1String("frequency")) {
        h.SweepTp = 0;
        h.SweepR = 75;
    }
    h.Acc = QStringLiteral("3");
    // Texts as the main window's labels give them, blanks first.
    h.Phase = QStringLiteral("    0.0 \u00b0");
    h.SweepTime = QStringLiteral(" 0.4 min");
    std::vector<int32_t> sums = LorentzDerivative(1024, 30, 1500, -60);
    sums[100] = 2000;   // clipped to 500
    return ParseSpectrum(SpectrumFileBytes(h, sums));
}

// Independent of the program: the descriptor's "KEY value" lines, and the
// data as big-endian doubles.
QHash<QString, QString> DescriptorKeys(const QByteArray& dsc)
{
    QHash<QString, QString> keys;
    for (const QByteArray& line : dsc.split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() >= 2 && !keys.contains(QString::fromLatin1(parts[0])))
            keys.insert(QString::fromLatin1(parts[0]), QString::fromLatin1(parts[1]));
    }
    return keys;
}

std::vector<double> BigEndianDoubles(const QByteArray& dta)
{
    std::vector<double> values;
    for (qsizetype i = 0; i + 8 <= dta.size(); i += 8)
        values.push_back(qFromBigEndian<double>(dta.constData() + i));
    return values;
}

// Everything the program holds of a spectrum, but the file's format.
void CompareSpectra(const TSpectrum& read, const TSpectrum& stored)
{
    QCOMPARE(read.Header, stored.Header);
    QCOMPARE(read.Acc, stored.Acc);
    QCOMPARE(read.Frequency, stored.Frequency);
    QCOMPARE(read.B0, stored.B0);
    QCOMPARE(read.ModAmp, stored.ModAmp);
    QCOMPARE(read.YScale, stored.YScale);
    QVERIFY(!read.NotInFile.Any());
    QCOMPARE(read.Points.size(), stored.Points.size());
    for (size_t i = 0; i < stored.Points.size(); ++i) {
        QCOMPARE(read.Points[i].y(), stored.Points[i].y());
        QVERIFY2(std::abs(read.Points[i].x() - stored.Points[i].x()) < 1e-9, qPrintable(QString::number(i)));
    }
}

} // namespace

class TestExportRoundTrip : public QObject {
    Q_OBJECT
private slots:
    void dcwThroughBes3tKeepsValuesAndParameters_data();
    void dcwThroughBes3tKeepsValuesAndParameters();
    void dcwThroughJcampKeepsValuesAndParameters_data();
    void dcwThroughJcampKeepsValuesAndParameters();
    void importedValuesKeepTheWrittenPrecision();
    void exportNeverReplacesItsSource();
};

void TestExportRoundTrip::dcwThroughBes3tKeepsValuesAndParameters_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("NMR field sweep") << "NMR";
    QTest::newRow("ESR") << "ESR";
    QTest::newRow("frequency sweep") << "frequency";
}

void TestExportRoundTrip::dcwThroughBes3tKeepsValuesAndParameters()
{
    QFETCH(QString, kind);
    const TSpectrum stored = Stored(kind);
    const TBes3tBytes bytes = Bes3tBytes(stored);

    // What another program reads: the axis in G (or Hz), the values, the keys.
    const QHash<QString, QString> keys = DescriptorKeys(bytes.Dsc);
    const bool field = kind != QLatin1String("frequency");
    const double centre = field ? double(stored.B0) : double(stored.Frequency) * 1e3;
    const double width = stored.SweepRange * (field ? 1 : 1e3);
    QCOMPARE(keys.value("XPTS").toInt(), 1024);
    QCOMPARE(keys.value("IRFMT"), QStringLiteral("D"));
    QCOMPARE(keys.value("BSEQ"), QStringLiteral("BIG"));
    QCOMPARE(keys.value("XUNI"), field ? QStringLiteral("'G'") : QStringLiteral("'Hz'"));
    QVERIFY(std::abs(keys.value("XMIN").toDouble() + keys.value("XWID").toDouble() / 2 - centre) < 1e-6);
    QCOMPARE(keys.value("XWID").toDouble(), width);
    QCOMPARE(keys.value("B0MA").toDouble(), double(stored.ModAmp) * 2e-4);   // peak to peak, T
    QCOMPARE(keys.value("AVGS").toInt(), 3);
    if (field)
        QCOMPARE(keys.value("MWFQ").toDouble(), double(stored.Frequency) * 1e3);
    QCOMPARE(BigEndianDoubles(bytes.Dta), TSpectrumArrays(stored).Y);

    const TSpectrum read = ParseBes3t(bytes.Dsc, bytes.Dta, QStringLiteral("a.DSC"), QStringLiteral("a.DTA"));
    QCOMPARE(read.Format, TSpectrumFormat::Bes3t);
    CompareSpectra(read, stored);
}

void TestExportRoundTrip::dcwThroughJcampKeepsValuesAndParameters_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("compressed");
    for (const char* kind : {"NMR", "ESR", "frequency"}) {
        QTest::addRow("%s, AFFN", kind) << kind << false;
        QTest::addRow("%s, DIF/DUP", kind) << kind << true;
    }
}

void TestExportRoundTrip::dcwThroughJcampKeepsValuesAndParameters()
{
    QFETCH(QString, kind);
    QFETCH(bool, compressed);
    const TSpectrum stored = Stored(kind);
    const QByteArray jdx = JcampDxBytes(stored, compressed ? TJcampForm::DifDup : TJcampForm::Affn);
    QVERIFY(jdx.startsWith("##TITLE=water, 20 C\r\n##JCAMP-DX=5.01\r\n") || jdx.startsWith("##TITLE=DPPH\r\n"));
    QVERIFY(jdx.endsWith("##END=\r\n"));
    for (const QByteArray& line : jdx.split('\n'))
        QVERIFY2(line.size() <= 81, line.constData());
    if (!compressed) {
        // Plain numbers after each line's abscissa, read without the program.
        std::vector<double> values;
        const QByteArray table = jdx.mid(jdx.indexOf("##XYDATA=(X++(Y..Y))") + 22);
        for (const QByteArray& line : table.split('\n'))
            if (!line.startsWith("##"))
                for (const QByteArray& number : line.simplified().split(' ').mid(1))
                    values.push_back(number.toDouble());
        QCOMPARE(values, TSpectrumArrays(stored).Y);
    }
    const TSpectrum read = ParseJcampDx(jdx, QStringLiteral("a.jdx"));
    QCOMPARE(read.Format, TSpectrumFormat::JcampDx);
    CompareSpectra(read, stored);
}

// A published BES3T spectrum (small values) through BES3T and through
// compressed JCAMP-DX: exact, and to the nine digits JCAMP-DX writes.
void TestExportRoundTrip::importedValuesKeepTheWrittenPrecision()
{
    const TSpectrum published = ReadAnySpectrumFile(PublishedSpectrum(QStringLiteral("Aminoxyl_radical_a.DSC")));
    const TBes3tBytes bes3t = Bes3tBytes(published);
    CompareSpectra(ParseBes3t(bes3t.Dsc, bes3t.Dta, QStringLiteral("a.DSC"), QStringLiteral("a.DTA")), published);

    const TSpectrum jcamp = ParseJcampDx(JcampDxBytes(published, TJcampForm::DifDup), QStringLiteral("a.jdx"));
    QCOMPARE(jcamp.Points.size(), published.Points.size());
    const double largest = published.YScale.Limit;
    for (size_t i = 0; i < published.Points.size(); ++i)
        QVERIFY(std::abs(jcamp.Points[i].y() - published.Points[i].y()) <= 1e-8 * largest);
    QCOMPARE(jcamp.Frequency, published.Frequency);
    QCOMPARE(jcamp.ModAmp, published.ModAmp);
    QCOMPARE(jcamp.Acc, 31);
}

void TestExportRoundTrip::exportNeverReplacesItsSource()
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("sweep.DSC"));
    QVERIFY(QFile::copy(PublishedSpectrum(QStringLiteral("Aminoxyl_radical_a.DSC")), source));
    QVERIFY(QFile::copy(PublishedSpectrum(QStringLiteral("Aminoxyl_radical_a.DTA")), dir.filePath(QStringLiteral("sweep.DTA"))));
    const TSpectrum s = ReadAnySpectrumFile(source);
    QCOMPARE(ExportAsPath(dir.path(), source, TExportFormat::Bes3t), source);
    QVERIFY_THROWS_EXCEPTION(EFileError, ExportSpectrum(source, TExportFormat::Bes3t, s, source));
    QCOMPARE(QFileInfo(source).size(), 3130);   // untouched

    QDir(dir.path()).mkdir(QStringLiteral("out"));
    const QString out = ExportAsPath(dir.filePath(QStringLiteral("out")), source, TExportFormat::Bes3t);
    QCOMPARE(ExportSpectrum(out, TExportFormat::Bes3t, s, source),
             (QStringList{dir.filePath(QStringLiteral("out/sweep.DTA")), dir.filePath(QStringLiteral("out/sweep.DSC"))}));
    CompareSpectra(ReadAnySpectrumFile(out), s);
    const QString jdx = ExportAsPath(dir.path(), source, TExportFormat::JcampAffn);
    QCOMPARE(QFileInfo(jdx).fileName(), QStringLiteral("sweep.jdx"));
    ExportSpectrum(jdx, TExportFormat::JcampAffn, s, source);
    QCOMPARE(ReadAnySpectrumFile(jdx).Points.size(), size_t(1500));
}

QTEST_GUILESS_MAIN(TestExportRoundTrip)
#include "test_ExportRoundTrip.moc"
