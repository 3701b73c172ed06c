// meril-proc on the spectra of other programs: every format in one batch,
// what a file does not give supplied by --freq and --modamp, and the export
// for other programs read back to the same measurements.
#include "ProcTestUtil.h"
#include "PublishedSpectra.h"
#include "SampleSpectra.h"

#include <QJsonArray>
#include <QTemporaryDir>

namespace {

// The report without what names the file it came from.
QJsonObject Measurements(QJsonObject o)
{
    for (const char* key : {"file", "format", "version"})
        o.remove(QLatin1String(key));
    return o;
}

} // namespace

class TestMerilProcFormats : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void everyFormatInOneBatch();
    void suppliesWhatTheFileDoesNotGive();
    void exportsForOtherPrograms_data();
    void exportsForOtherPrograms();
    void usageErrors_data();
    void usageErrors();

private:
    QTemporaryDir FDir;
    QString FDcw;
};

void TestMerilProcFormats::initTestCase()
{
    QVERIFY(QFileInfo(MerilProcPath()).isExecutable());
    FDcw = FDir.filePath(QStringLiteral("dpph.dcw"));
    WriteSpectrumFile(FDcw, EsrHeader(), LorentzDerivative(1024, 20, 600, 10));
    QVERIFY(QFile::copy(PublishedSpectrum(QStringLiteral("Aminoxyl_radical_a.txt")), FDir.filePath(QStringLiteral("twin.txt"))));
}

void TestMerilProcFormats::everyFormatInOneBatch()
{
    const QString damaged = FDir.filePath(QStringLiteral("damaged.jdx"));
    QFile f(damaged);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("##TITLE=x\n##XUNITS=GAUSS\n##FIRSTX=1\n##LASTX=4\n##NPOINTS=4\n##XYDATA=(X++(Y..Y))\n1 5 6\n##END=\n");
    f.close();
    const QStringList files{FDcw, PublishedSpectrum(QStringLiteral("Aminoxyl_radical_a.DSC")), damaged,
                            PublishedSpectrum(QStringLiteral("TMPD_specelchem_accu_b.par")),
                            PublishedSpectrum(QStringLiteral("Aminoxyl_radical_a.txt"))};
    const TProcRun run = RunMerilProc(files);
    QCOMPARE(run.ExitCode, 1);
    QVERIFY2(run.Err.contains("damaged.jdx") && run.Err.contains("NPOINTS is 4"), run.Err.constData());
    const QList<QByteArray> lines = run.OutLines();
    QCOMPARE(lines.size(), 4);
    const QStringList formats{"dcw", "BES3T", "ESP", "text"};
    for (int i = 0; i < 4; ++i) {
        const QJsonObject o = ParseJsonLine(lines[i]);
        QCOMPARE(o["format"].toString(), formats[i]);
        QCOMPARE(o["version"].isNull(), i > 0);
        // The ESR files give their frequency, the text gives none.
        QCOMPARE(o.contains("g"), i < 3);
        QCOMPARE(WarningCodes(o).contains("not_in_file"), i == 3);
        QVERIFY(!WarningCodes(o).contains("clipped"));
    }
    QCOMPARE(ParseJsonLine(lines[1])["acc"].toInt(), 31);
    QCOMPARE(ParseJsonLine(lines[2])["points"].toInt(), 2401);
}

// The text twin of a BES3T file, with the frequency and modulation the
// binary file gives: the same measurements.
void TestMerilProcFormats::suppliesWhatTheFileDoesNotGive()
{
    const TProcRun run = RunMerilProc({QStringLiteral("--freq"), QStringLiteral("9.806665GHz"), QStringLiteral("--modamp"),
                                       QStringLiteral("1.2G"), PublishedSpectrum(QStringLiteral("Aminoxyl_radical_a.txt")),
                                       PublishedSpectrum(QStringLiteral("Aminoxyl_radical_a.DSC"))});
    QCOMPARE(run.ExitCode, 0);
    const QJsonObject text = ParseJsonLine(run.OutLines().value(0)), binary = ParseJsonLine(run.OutLines().value(1));
    QCOMPARE(text["resonance"].toString(), QStringLiteral("ESR"));
    QVERIFY(!WarningCodes(text).contains("not_in_file"));
    QVERIFY(std::abs(text["g"].toDouble() - binary["g"].toDouble()) < 1e-9);
    for (const char* view : {"derivative", "absorption"})
        QVERIFY(std::abs(text[view].toObject()["M2"].toDouble() / binary[view].toObject()["M2"].toDouble() - 1) < 1e-9);
}

void TestMerilProcFormats::exportsForOtherPrograms_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("written");
    QTest::newRow("BES3T") << "bes3t" << QStringList{"dpph.DSC", "dpph.DTA"};
    QTest::newRow("JCAMP-DX") << "jcamp" << QStringList{"dpph.jdx"};
    QTest::newRow("JCAMP-DX compressed") << "jcamp-dif" << QStringList{"dpph.jdx"};
}

void TestMerilProcFormats::exportsForOtherPrograms()
{
    QFETCH(QString, format);
    QFETCH(QStringList, written);
    QTemporaryDir out;
    const TProcRun run = RunMerilProc({FDcw, QStringLiteral("--export"), format, out.path()});
    QCOMPARE(run.ExitCode, 0);
    QCOMPARE(QDir(out.path()).entryList(QDir::Files, QDir::Name), written);
    const TProcRun again = RunMerilProc({QDir(out.path()).filePath(written.first())});
    QCOMPARE(again.ExitCode, 0);
    QCOMPARE(Measurements(ParseJsonLine(again.OutLines().value(0))), Measurements(ParseJsonLine(run.OutLines().value(0))));
}

void TestMerilProcFormats::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("said");
    QTest::newRow("export without a folder") << QStringList{"--export", "bes3t"} << 2 << "--export takes a format";
    QTest::newRow("unknown format") << QStringList{"--export", "spc", ".", "x.dcw"} << 2 << "bes3t, jcamp, jcamp-dif";
    QTest::newRow("no frequency") << QStringList{"--freq", "5 apples", "x.dcw"} << 2 << "--freq takes";
    QTest::newRow("modulation of a frequency") << QStringList{"--modamp", "3MHz", "x.dcw"} << 2 << "--modamp takes";
    // Into its own folder a BES3T pair would replace itself.
    QTest::newRow("over its source") << QStringList{"--export", "bes3t", MERIL_TESTDATA_DIR,
                                                    PublishedSpectrum(QStringLiteral("Aminoxyl_radical_a.DSC"))}
                                     << 1 << "would replace the file";
    QTest::newRow("text table over its source") << QStringList{"--export-txt", FDir.path(), FDir.filePath("twin.txt")}
                                                << 1 << "would replace the file";
}

void TestMerilProcFormats::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, said);
    const TProcRun run = RunMerilProc(arguments);
    QCOMPARE(run.ExitCode, exitCode);
    QVERIFY2(QString::fromUtf8(run.Err).contains(said), run.Err.constData());
    QCOMPARE(QFileInfo(PublishedSpectrum(QStringLiteral("Aminoxyl_radical_a.DSC"))).size(), 3130);
    QCOMPARE(QFileInfo(FDir.filePath(QStringLiteral("twin.txt"))).size(), 79679);
}

QTEST_GUILESS_MAIN(TestMerilProcFormats)
#include "test_MerilProcFormats.moc"
