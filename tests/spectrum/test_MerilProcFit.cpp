// meril-proc --fit as a process: the "fit" object and its keys, the model
// chosen by auto, multiplets, the CSV columns, a fit that cannot be made (a
// warning, not a failed file) and the usage errors of the fit's options.
#include "FitTestLines.h"
#include "ProcTestUtil.h"
#include "SyntheticLines.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>

namespace {
const QStringList FitKeys = {"model", "centre", "centre_u", "pp_width", "pp_width_u", "width", "width_u", "eta",
                             "eta_u", "area", "area_u", "M2", "M2_u", "alpha", "alpha_u", "r_HH", "r_HH_u", "a",
                             "a_u", "g", "g_u", "g_u_field", "g_u_fit", "chi2_red", "residual_rms", "residual_corr",
                             "clipped_left_out"};

} // namespace

class TestMerilProcFit : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void fitObject();
    void autoOnAnEsrLine();
    void tripletWithHyperfine();
    void severalHyperfineGroups();
    void frequencySweep();
    void fitThatCannotBeMade();
    void csvColumns();
    void usageErrors();

private:
    QTemporaryDir FDir;
    QString FNmr, FEsr, FFlat;
};

void TestMerilProcFit::initTestCase()
{
    QVERIFY(QFileInfo(MerilProcPath()).isExecutable());
    FNmr = FDir.filePath("solid.dcw");
    FEsr = FDir.filePath("esr.dcw");
    FFlat = FDir.filePath("flat.dcw");
    // A Gaussian derivative (sigma 3 Gs) with no modulation in it, while the
    // header says 0.50 Gs: the fit takes the line as one modulated by 0.5 Gs,
    // of sigma^2 = 9 - 0.5^2 / 4.
    WriteSpectrumFile(FNmr, FieldSweepHeader("NMR 1H", 60, "4"), PassSums(1024, 60, 4, GaussianDerivative(3, 300)));
    WriteSpectrumFile(FEsr, FieldSweepHeader("ESR", 20, "1"), PassSums(1024, 20, 1, [](double x) {
                          return 2000 * FirstHarmonic(LorentzAbsorptionOf(1), x, 0.5, 200);  // peak 413, within +-500
                      }));
    WriteSpectrumFile(FFlat, FieldSweepHeader("NMR 1H", 60, "1"), std::vector<int32_t>(64, 3));
}

void TestMerilProcFit::fitObject()
{
    const TProcRun run = RunMerilProc({"--fit", "gauss", FNmr});
    QCOMPARE(run.ExitCode, 0);
    const QJsonObject o = ParseJsonLine(run.OutLines().value(0));
    const QJsonObject fit = o["fit"].toObject();
    const QStringList keys = fit.keys();
    QCOMPARE(QSet<QString>(keys.begin(), keys.end()), QSet<QString>(FitKeys.begin(), FitKeys.end()));
    QCOMPARE(fit["model"].toString(), "gauss");
    QVERIFY(std::abs(fit["centre"].toDouble()) < 0.01);
    QVERIFY2(std::abs(fit["M2"].toDouble() - (9 - 0.0625)) < 0.01, qPrintable(QString::number(fit["M2"].toDouble())));
    QVERIFY(fit["M2_u"].toDouble() > 0);
    QVERIFY(std::abs(fit["pp_width"].toDouble() - 2 * fit["width"].toDouble()) < 1e-9);
    for (const char* absent : {"eta", "eta_u", "alpha", "alpha_u", "r_HH", "r_HH_u", "a", "a_u", "g", "g_u", "g_u_field", "g_u_fit"})
        QVERIFY2(fit[absent].isNull(), absent);
    // The fit was made; the automatic moment cursors still cut the wings.
    const QJsonArray warnings = o["warnings"].toArray();
    QCOMPARE(warnings.size(), 1);
    QCOMPARE(warnings[0].toObject()["code"].toString(), "wings_cut");
    // Without --fit there is no fit object, and the warnings are still there.
    const QJsonObject plain = ParseJsonLine(RunMerilProc({FNmr}).OutLines().value(0));
    QVERIFY(!plain.contains("fit"));
    QVERIFY(plain["warnings"].isArray());
}

void TestMerilProcFit::autoOnAnEsrLine()
{
    const TProcRun run = RunMerilProc({"--fit", "auto", FEsr});
    QCOMPARE(run.ExitCode, 0);
    const QJsonObject fit = ParseJsonLine(run.OutLines().value(0))["fit"].toObject();
    QCOMPARE(fit["model"].toString(), "lorentz");
    QVERIFY2(std::abs(fit["pp_width"].toDouble() - 2 / std::sqrt(3.0)) < 0.005, qPrintable(QString::number(fit["pp_width"].toDouble())));
    // g at the fitted centre, from the header's 9 500 000.0 kHz and 3 390.00
    // Gs; their last digits alone limit it to 2.002 x 0.01 Gs / sqrt(12) / 3390 Gs.
    QVERIFY(std::abs(fit["g"].toDouble() - 9.5 / 0.339 * 0.07144773) < 1e-4);
    QVERIFY(std::abs(fit["g_u_field"].toDouble() / 1.705e-6 - 1) < 0.01);
    QVERIFY(std::abs(std::hypot(fit["g_u_fit"].toDouble(), fit["g_u_field"].toDouble()) - fit["g_u"].toDouble()) < 1e-12);
    QVERIFY(fit["M2"].isNull());
}

void TestMerilProcFit::tripletWithHyperfine()
{
    const QString path = FDir.filePath("nitroxide.dcw");
    const std::vector<double> x = Grid(1024, 20);
    const std::vector<double> y = MultipletCurve(x, LorentzAbsorptionOf(0.4), 0.5, 0.2, 4.0, {1, 1, 1}, 1500);
    std::vector<int32_t> sums;
    for (const double v : y)
        sums.push_back(int32_t(std::lround(v)));
    WriteSpectrumFile(path, FieldSweepHeader("ESR", 20, "1"), sums);
    const QJsonObject fit =
        ParseJsonLine(RunMerilProc({"--fit", "lorentz", "--hyperfine", "1,1", path}).OutLines().value(0))["fit"].toObject();
    QVERIFY2(std::abs(fit["a"].toDouble() - 4.0) < 0.01, qPrintable(QString::number(fit["a"].toDouble())));
    QVERIFY(std::abs(fit["centre"].toDouble() - 0.2) < 0.01);
    // pp_width is the width of one line.
    QVERIFY(std::abs(fit["pp_width"].toDouble() - 0.8 / std::sqrt(3.0)) < 0.01);
    // A single-line fit takes the spread of the pattern for a width.
    const QJsonObject single = ParseJsonLine(RunMerilProc({"--fit", "lorentz", path}).OutLines().value(0))["fit"].toObject();
    QVERIFY(single["a"].isNull());
}

// Several groups, --hyperfine once for each: "a" and "a_u" are lists in the
// order given (CSV: joined by ';'); the window's forms are taken ("1/2").
void TestMerilProcFit::severalHyperfineGroups()
{
    const QString path = FDir.filePath("split.dcw");
    const std::vector<double> x = Grid(2048, 40);
    std::vector<int32_t> sums;
    for (const double v : WithNoise(SplitCurve(x, LorentzAbsorptionOf(0.3), 0.1, 0.5, {{{1, 1, 1}, 7.0}, {{1, 2, 1}, 2.0}}, 1500), 3, 1.0))
        sums.push_back(int32_t(std::lround(v)));
    WriteSpectrumFile(path, FieldSweepHeader("ESR", 40, "1"), sums);
    const QStringList arguments{"--fit", "lorentz", "--hyperfine", "1,1", "--hyperfine", "2,1/2", path};
    const QJsonObject fit = ParseJsonLine(RunMerilProc(arguments).OutLines().value(0))["fit"].toObject();
    const QJsonArray a = fit["a"].toArray(), u = fit["a_u"].toArray();
    QCOMPARE(a.size(), 2);
    QCOMPARE(u.size(), 2);
    QVERIFY2(std::abs(a[0].toDouble() - 7.0) < 4 * u[0].toDouble() && std::abs(a[1].toDouble() - 2.0) < 4 * u[1].toDouble(),
             qPrintable(QJsonDocument(fit).toJson(QJsonDocument::Compact)));
    const QList<QByteArray> csv = RunMerilProc(QStringList{"--csv"} + arguments).OutLines();
    const QList<QByteArray> header = csv.value(0).split(',');
    QCOMPARE(csv.value(1).split(',')[header.indexOf("fit.a")].split(';').size(), 2);
}

// On a frequency sweep the file's modulation (Gs) enters in kHz, through
// gamma of 1H: 0.5 Gs is 2.13 kHz, which broadens a 3 kHz line well beyond
// the tolerance here.
void TestMerilProcFit::frequencySweep()
{
    const QString path = FDir.filePath("sweep.dcw");
    TDataHeader header = FieldSweepHeader("NMR 1H", 100, "1");
    header.SweepTp = 0;
    const double sigma = 3, modAmp = 0.5 * 4.2577469;
    WriteSpectrumFile(path, header, PassSums(1024, 100, 1, [&](double x) {
                          return 8000 * FirstHarmonic(GaussAbsorptionOf(sigma), x, modAmp, 400);
                      }));
    const QJsonObject o = ParseJsonLine(RunMerilProc({"--fit", "gauss", path}).OutLines().value(0));
    QCOMPARE(o["unit"].toString(), "kHz");
    const double width = o["fit"].toObject()["width"].toDouble();
    QVERIFY2(std::abs(width - sigma) < 0.005 * sigma, qPrintable(QString::number(width)));
}

void TestMerilProcFit::fitThatCannotBeMade()
{
    // A flat spectrum, and a fit range beyond the points: the file is still
    // measured, the fit's keys are null, and fit_failed says why.
    for (const QStringList& arguments : {QStringList{"--fit", "auto", FFlat}, QStringList{"--fit", "gauss", "--fit-range", "2000,3000", FNmr}}) {
        const TProcRun run = RunMerilProc(arguments);
        QCOMPARE(run.ExitCode, 0);
        for (const char* number : {":nan", ":inf", ":-inf", "NaN", "Infinity"})
            QVERIFY2(!run.Out.contains(number), run.Out.constData());
        const QJsonObject o = ParseJsonLine(run.OutLines().value(0));
        QVERIFY(WarningCodes(o).contains("fit_failed"));
        const QJsonObject warning = o["warnings"].toArray().at(int(WarningCodes(o).indexOf("fit_failed"))).toObject();
        QVERIFY(!warning["text"].toString().isEmpty());
        qInfo("%s", qPrintable(warning["text"].toString()));
        QVERIFY(o["fit"].toObject()["centre"].isNull());
        QVERIFY(!o["fit"].toObject()["model"].toString().isEmpty());
    }
}

void TestMerilProcFit::csvColumns()
{
    const TProcRun run = RunMerilProc({"--csv", "--fit", "gauss", FNmr, FFlat});
    QCOMPARE(run.ExitCode, 0);
    const QList<QByteArray> lines = run.OutLines();
    QCOMPARE(lines.size(), 3);
    const QList<QByteArray> header = lines[0].split(',');
    for (const QString& key : FitKeys)
        QVERIFY2(header.contains(("fit." + key).toUtf8()), qPrintable(key));
    QVERIFY(header.contains("warnings"));
    for (int row = 1; row <= 2; ++row)
        QCOMPARE(lines[row].split(',').size(), header.size());
    const QJsonObject o = ParseJsonLine(RunMerilProc({"--fit", "gauss", FNmr}).OutLines().value(0));
    QCOMPARE(lines[1].split(',')[header.indexOf("fit.M2")].toDouble(), o["fit"].toObject()["M2"].toDouble());
    // The flat spectrum: no line above the noise, and no fit.
    QCOMPARE(lines[2].split(',')[header.indexOf("warnings")], QByteArray("low_snr;fit_failed"));
    // Without --fit the table has no fit columns.
    QVERIFY(!RunMerilProc({"--csv", FNmr}).Out.contains("fit."));
}

void TestMerilProcFit::usageErrors()
{
    for (const QStringList& arguments :
         {QStringList{"--fit", "spline", FNmr}, QStringList{"--hyperfine", "1,1", FNmr}, QStringList{"--fit-range", "1,9", FNmr},
          QStringList{"--fit", "gauss", "--hyperfine", "1,0.3", FNmr}, QStringList{"--fit", "gauss", "--hyperfine", "0,1", FNmr},
          QStringList{"--fit", "gauss", "--hyperfine", "99,1/2", FNmr}, QStringList{"--fit", "gauss", "--hyperfine", "1,7.5", FNmr},
          QStringList{"--fit", "gauss", "--hyperfine", "1,0", FNmr},
          QStringList{"--fit", "pake", "--hyperfine", "1,1", FNmr}, QStringList{"--fit", "gauss", "--fit-range", "9,3", FNmr},
          QStringList{"--fit", "gauss", "--fit-range", "a,9", FNmr}}) {
        const TProcRun run = RunMerilProc(arguments);
        QVERIFY2(run.ExitCode == 2, qPrintable(arguments.join(' ')));
        QVERIFY(run.Out.isEmpty());
        QVERIFY(run.Err.contains("--"));
    }
    const TProcRun help = RunMerilProc({"--help"});
    for (const char* text : {"--fit", "--hyperfine", "--fit-range", "auto", "fit_failed", "model_misfit", "pseudo-voigt",
                             "--fit lorentz --hyperfine 1,1"})
        QVERIFY2(help.Out.contains(text), text);
}

QTEST_GUILESS_MAIN(TestMerilProcFit)
#include "test_MerilProcFit.moc"
