// meril-proc as a process: JSON Lines, a bad file among good ones, the CSV
// table, the text export, chosen cursors and usage errors.
#include "ProcTestUtil.h"
#include "SyntheticLines.h"
#include "TextTable.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>

namespace {
QSet<QString> Keys(const QJsonObject& o)
{
    const QStringList keys = o.keys();
    return QSet<QString>(keys.begin(), keys.end());
}
} // namespace

class TestMerilProc : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void measuresAStoredNmrSpectrum();
    void esrSpectrumGetsTheGFactor();
    void halfHeightNotFound();
    void implausibleGAndModulationAreNamed();
    void badFileAmongGoodOnes();
    void csvTable();
    void exportsTheTextTables();
    void chosenCursors();
    void warningsInJsonAndCsv();
    void usageErrors();

private:
    QTemporaryDir FDir;
    QString FNmr, FEsr;
    const double Sigma = 3;
};

void TestMerilProc::initTestCase()
{
    QVERIFY(QFileInfo(MerilProcPath()).isExecutable());
    FNmr = FDir.filePath("solid.dcw");
    FEsr = FDir.filePath("standard.2.dcw");
    WriteSpectrumFile(FNmr, FieldSweepHeader("NMR 1H", 60, "4"), PassSums(1024, 60, 4, GaussianDerivative(Sigma, 300)));
    WriteSpectrumFile(FEsr, FieldSweepHeader("ESR", 20, "1"), PassSums(1024, 20, 1, LorentzianDerivative(1, 300)));
}

void TestMerilProc::measuresAStoredNmrSpectrum()
{
    const TProcRun run = RunMerilProc({FNmr});
    QCOMPARE(run.ExitCode, 0);
    QVERIFY(run.Err.isEmpty());
    QCOMPARE(run.OutLines().size(), 1);
    const QJsonObject o = ParseJsonLine(run.OutLines()[0]);
    QCOMPARE(Keys(o), (QSet<QString>{"file", "format", "version", "resonance", "unit", "points", "acc", "baseline", "factor",
                                     "centre", "derivative", "absorption", "SDB", "HDB", "integral", "noise", "noise_corr",
                                     "warnings"}));
    QCOMPARE(o["file"].toString(), FNmr);
    QCOMPARE(o["version"].toInt(), 11);
    QCOMPARE(o["resonance"].toString(), "NMR 1H");
    QCOMPARE(o["unit"].toString(), "Gs");
    QCOMPARE(o["points"].toInt(), 1024);
    QCOMPARE(o["acc"].toInt(), 4);
    QCOMPARE(o["factor"].toInt(), 1);
    QCOMPARE(o["centre"].toInt(), 512);  // x = 0 lies between 511 and 512; 512 comes first from the minimum's side
    QCOMPARE(Keys(o["baseline"].toObject()), (QSet<QString>{"offset", "slope"}));
    QCOMPARE(Keys(o["integral"].toObject()), (QSet<QString>{"LC", "RC", "AI"}));
    for (const char* view : {"derivative", "absorption"}) {
        const QJsonObject v = o[view].toObject();
        QCOMPARE(Keys(v), (QSet<QString>{"LC", "MC", "RC", "M2L", "M2R", "M2", "M4", "M2_u", "M4_u"}));
        // Automatic cursors where |y| reaches 20, about 3 sigma out on either
        // side: symmetric about the centre, and M2 a little short of sigma^2.
        QVERIFY(qAbs(v["LC"].toInt() + v["RC"].toInt() - 2 * 512) <= 2);
        QVERIFY(512 - v["LC"].toInt() > 2.5 * Sigma * 1023 / 60);
        QCOMPARE(v["MC"].toInt(), 512);
        QVERIFY2(v["M2"].toDouble() > 0.6 * Sigma * Sigma && v["M2"].toDouble() < Sigma * Sigma, view);
        // The ends of this line are exactly 0: only the rounding of the
        // stored whole counts is noise, and M2 is certain to a tiny part.
        QVERIFY2(v["M2_u"].toDouble() > 0 && v["M2_u"].toDouble() < 0.01 * v["M2"].toDouble(), qPrintable(QString::number(v["M2_u"].toDouble())));
    }
    // The Gaussian derivative's extremes lie at +-sigma: SDB = 2 sigma within a point step.
    QVERIFY(qAbs(o["SDB"].toDouble() - 2 * Sigma) <= 60.0 / 1023);
    // Its absorption's full width at half height: 2 sqrt(2 ln 2) sigma.
    QVERIFY(qAbs(o["HDB"].toDouble() - 2 * std::sqrt(2 * std::log(2.0)) * Sigma) <= 2 * 60.0 / 1023);
    QVERIFY(qAbs(o["integral"].toObject()["LC"].toDouble() - (-30 + 102 * 60.0 / 1023)) < 1e-9);
    QVERIFY(qAbs(o["integral"].toObject()["RC"].toDouble() - (-30 + 922 * 60.0 / 1023)) < 1e-9);
    QCOMPARE(o["noise"].toDouble(), 1 / std::sqrt(12.0));
    QCOMPARE(o["noise_corr"].toDouble(), 0.0);
}

void TestMerilProc::esrSpectrumGetsTheGFactor()
{
    const TProcRun run = RunMerilProc({FEsr});
    QCOMPARE(run.ExitCode, 0);
    const QJsonObject o = ParseJsonLine(run.OutLines().value(0));
    QVERIFY(o.contains("g"));
    // Line centre at x = 0 (within a point): g = 0.07144771 * 9.5 / 0.339.
    QVERIFY2(qAbs(o["g"].toDouble() - 2.00222) < 1e-4, qPrintable(QString::number(o["g"].toDouble())));
    // A Lorentzian derivative: SDB is the peak-to-peak width 2 / sqrt(3).
    QVERIFY(qAbs(o["SDB"].toDouble() - 2 / std::sqrt(3.0)) <= 20.0 / 1023);
}

// The ESR line with a frequency of 0 has no g; with a negative ModAmp the fit
// leaves the modulation out, and as the line has none, finds its width exactly.
void TestMerilProc::implausibleGAndModulationAreNamed()
{
    TDataHeader noFrequency = FieldSweepHeader("ESR", 20, "1"), negative = noFrequency;
    noFrequency.Frequency = "0.0 kHz";
    negative.ModAmp = "-5 Gs";
    const std::vector<int32_t> line = PassSums(1024, 20, 1, LorentzianDerivative(1, 300));
    WriteSpectrumFile(FDir.filePath("f0.dcw"), noFrequency, line);
    WriteSpectrumFile(FDir.filePath("negative.dcw"), negative, line);
    const TProcRun run = RunMerilProc({"--fit", "lorentz", FDir.filePath("f0.dcw"), FDir.filePath("negative.dcw")});
    QCOMPARE(run.ExitCode, 0);
    const QJsonObject f0 = ParseJsonLine(run.OutLines().value(0)), o = ParseJsonLine(run.OutLines().value(1));
    QVERIFY(f0.contains("g") && f0["g"].isNull() && f0["fit"].toObject()["g"].isNull());
    QVERIFY(WarningCodes(f0).contains("implausible_g"));
    QVERIFY(qAbs(o["g"].toDouble() - 2.00222) < 1e-4);
    QVERIFY(WarningCodes(o).contains("modulation_left_out"));
    QVERIFY(qAbs(o["fit"].toObject()["pp_width"].toDouble() - 2 / std::sqrt(3.0)) < 1e-3);
}

void TestMerilProc::halfHeightNotFound()
{
    const QString two = FDir.filePath("two.dcw");
    WriteSpectrumFile(two, FieldSweepHeader("NMR 1H", 10, "1"), std::vector<int32_t>{100, -100});
    const TProcRun run = RunMerilProc({two});
    QCOMPARE(run.ExitCode, 0);
    const QJsonObject o = ParseJsonLine(run.OutLines().value(0));
    QVERIFY(o["HDB"].isNull());
    QCOMPARE(o["HDB_error"].toString(), QStringLiteral("Lack of ending value"));
    QCOMPARE(o["points"].toInt(), 2);
}

void TestMerilProc::badFileAmongGoodOnes()
{
    const QString bad = FDir.filePath("bad.dcw"), missing = FDir.filePath("missing.dcw");
    QFile file(bad);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("\x07not a spectrum");
    file.close();
    const TProcRun run = RunMerilProc({FNmr, bad, missing, FEsr});
    QCOMPARE(run.ExitCode, 1);
    QCOMPARE(run.OutLines().size(), 2);
    QCOMPARE(ParseJsonLine(run.OutLines()[0])["file"].toString(), FNmr);
    QCOMPARE(ParseJsonLine(run.OutLines()[1])["file"].toString(), FEsr);
    const QList<QByteArray> errors = run.Err.trimmed().split('\n');
    QCOMPARE(errors.size(), 2);
    QVERIFY(errors[0].contains(bad.toUtf8()) && errors[0].contains("file format error"));
    QVERIFY(errors[1].contains(missing.toUtf8()));

    // A spectrum of more points than the cursors can index is refused with a reason.
    const QString big = FDir.filePath("big.dcw");
    WriteSpectrumFile(big, FieldSweepHeader("NMR 1H", 60, "1"), std::vector<int32_t>(65536, 0));
    const TProcRun refused = RunMerilProc({big});
    QCOMPARE(refused.ExitCode, 1);
    QVERIFY(refused.Out.isEmpty());
    QVERIFY2(refused.Err.contains("65535"), refused.Err);
}

void TestMerilProc::csvTable()
{
    const TProcRun run = RunMerilProc({"--csv", FNmr, FEsr});
    QCOMPARE(run.ExitCode, 0);
    const QList<QByteArray> lines = run.OutLines();
    QCOMPARE(lines.size(), 3);
    const QList<QByteArray> header = lines[0].split(',');
    QCOMPARE(header.first(), QByteArray("file"));
    QVERIFY(header.contains("derivative.M2") && header.contains("absorption.M4_u") && header.contains("g"));
    const int g = int(header.indexOf("g")), points = int(header.indexOf("points"));
    for (int row = 1; row <= 2; ++row)
        QCOMPARE(lines[row].split(',').size(), header.size());
    QCOMPARE(lines[1].split(',')[points], QByteArray("1024"));
    QVERIFY(lines[1].split(',')[g].isEmpty());   // NMR: no g-factor
    QVERIFY(lines[2].split(',')[g].startsWith("2.002"));
    // The same numbers as the JSON line.
    const QJsonObject o = ParseJsonLine(RunMerilProc({FNmr}).OutLines().value(0));
    const int m2 = int(header.indexOf("derivative.M2"));
    QCOMPARE(lines[1].split(',')[m2].toDouble(), o["derivative"].toObject()["M2"].toDouble());
}

void TestMerilProc::exportsTheTextTables()
{
    QTemporaryDir out;
    const TProcRun run = RunMerilProc({"--export-txt", out.path(), FNmr, FEsr});
    QCOMPARE(run.ExitCode, 0);
    QFile nmr(out.filePath("solid.txt")), esr(out.filePath("standard.txt"));
    QVERIFY(nmr.open(QIODevice::ReadOnly));
    QVERIFY(esr.exists());
    const QByteArray table = nmr.readAll();
    QCOMPARE(table.count('\n'), 1025);
    QVERIFY(table.startsWith("  -30.00"));
    QVERIFY(table.endsWith("\r\n\r\n"));
    // An export folder that does not exist is a usage error; nothing is measured.
    const TProcRun missing = RunMerilProc({"--export-txt", out.filePath("nowhere"), FNmr});
    QCOMPARE(missing.ExitCode, 2);
    QVERIFY(missing.Out.isEmpty());
}

void TestMerilProc::chosenCursors()
{
    // Cursors at -4 sigma, the centre and +4 sigma (x = -12, 0, +12 Gs).
    const TProcRun run = RunMerilProc({"--cursors", "307,512,716", FNmr});
    QCOMPARE(run.ExitCode, 0);
    const QJsonObject o = ParseJsonLine(run.OutLines().value(0));
    for (const char* view : {"derivative", "absorption"}) {
        const QJsonObject v = o[view].toObject();
        QCOMPARE(v["LC"].toInt(), 307);
        QCOMPARE(v["MC"].toInt(), 512);
        QCOMPARE(v["RC"].toInt(), 716);
        // M2 = sigma^2 once P^2/4 is added back.
        QVERIFY2(qAbs(v["M2"].toDouble() + 0.0625 - Sigma * Sigma) < 0.03 * Sigma * Sigma,
                 qPrintable(QString::number(v["M2"].toDouble())));
    }
    // Cursors beyond the spectrum: that file fails, with the reason.
    const TProcRun outside = RunMerilProc({"--cursors", "0,512,1024", FNmr});
    QCOMPARE(outside.ExitCode, 1);
    QVERIFY2(outside.Err.contains("1024"), outside.Err);
}

void TestMerilProc::warningsInJsonAndCsv()
{
    // The automatic cursors stop where |y| reaches 20 counts: the wings are cut.
    const QJsonArray automatic = ParseJsonLine(RunMerilProc({FNmr}).OutLines().value(0))["warnings"].toArray();
    QCOMPARE(automatic.size(), 1);
    QCOMPARE(automatic[0].toObject()["code"].toString(), "wings_cut");
    QVERIFY(automatic[0].toObject()["text"].toString().contains("widen the range"));
    // Cursors at +-5 sigma take in the whole line: nothing to warn of.
    const QJsonValue wide = ParseJsonLine(RunMerilProc({"--cursors", "256,512,768", FNmr}).OutLines().value(0))["warnings"];
    QVERIFY(wide.isArray() && wide.toArray().isEmpty());

    // A clipped line: the codes joined by ';' in the CSV column.
    const QString clipped = FDir.filePath("clipped.dcw");
    WriteSpectrumFile(clipped, FieldSweepHeader("NMR 1H", 60, "1"), PassSums(1024, 60, 1, GaussianDerivative(Sigma, 700)));
    const QList<QByteArray> lines = RunMerilProc({"--csv", "--cursors", "256,512,768", FNmr, clipped}).OutLines();
    QCOMPARE(lines.size(), 3);
    const int column = int(lines[0].split(',').indexOf("warnings"));
    QVERIFY(column >= 0);
    QCOMPARE(lines[1].split(',').value(column), QByteArray());
    QVERIFY2(lines[2].split(',').value(column).startsWith("clipped"), lines[2]);
}

void TestMerilProc::usageErrors()
{
    QCOMPARE(RunMerilProc({}).ExitCode, 2);
    QCOMPARE(RunMerilProc({"--bogus", FNmr}).ExitCode, 2);
    QCOMPARE(RunMerilProc({"--cursors", "1,2", FNmr}).ExitCode, 2);
    const TProcRun bad = RunMerilProc({"--cursors", "a,b,c", FNmr});
    QCOMPARE(bad.ExitCode, 2);
    QVERIFY(bad.Out.isEmpty());
    QVERIFY(bad.Err.contains("--cursors"));
    const TProcRun help = RunMerilProc({"--help"});
    QCOMPARE(help.ExitCode, 0);
    QVERIFY(help.Out.contains("Example"));
    QVERIFY(help.Out.contains("--export-txt"));
}

QTEST_GUILESS_MAIN(TestMerilProc)
#include "test_MerilProc.moc"
