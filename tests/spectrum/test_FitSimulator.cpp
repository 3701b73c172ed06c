// The fit through the whole chain: the simulator's samples acquired in one
// unpaced pass as the main window takes them, stored as a spectrum file with
// the header the main window fills, and measured by meril-proc --fit. At the
// standard modulation (0.5 Gs) and at several times it, the fit must find the
// line the simulator put in, while the moments and SDB of the automatic
// cursors move with the modulation; also at the standard gain, where the
// strong modulated line is clipped at the converter's limit and the fit
// leaves those points out. Its chi2_red measures the residuals against the
// noise measured on the wings: about 1 for these lines.
#include "Freq.h"
#include "NumFormat.h"
#include "ProcTestUtil.h"
#include "SimulatedPass.h"
#include "UTextTbl.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

namespace {
constexpr int Points = 1024;

struct TChainCase {
    TSample Sample;
    QString Resonance;
    QString Model;
    bool Esr;
    int SweepIndex;      // of the field sweep table of the mode's row
    long long FrequencyHz;
};

// Gain 130 at the standard modulation, lowered as the modulation grows so
// that the line stays within the converter's range, as an operator would;
// or the standard 128 throughout.
int Gain(double modAmpGs, bool fixed)
{
    return fixed ? 128 : 130 - int(std::lround(85 * std::log10(modAmpGs / 0.5)));
}

// The mode's field sweep, modulation, gain, frequency and B0 at the zero
// calibration (the line near the middle).
QByteArray SetupCommands(const TChainCase& c, double modAmpGs, bool fixedGain)
{
    const auto hex = [](long long v, int digits) { return QByteArray::number(v, 16).toUpper().rightJustified(digits, '0'); };
    return (c.Esr ? "P1\r" : "P0\r") + QByteArray(c.Esr ? "H1" : "H0") + hex(c.SweepIndex, 2) + "\rR0" +
           hex(std::lround(modAmpGs * 100), 2) + "\rD2" + hex(255 - Gain(modAmpGs, fixedGain), 2) + "\rJ" + hex(c.FrequencyHz, 8) + "\r" +
           (c.Esr ? "B10801\r" : "B10802\r");
}

TDataHeader Header(const TChainCase& c, double modAmpGs, bool fixedGain)
{
    const int m = c.Esr ? 3 : 0;
    const int row = c.Esr ? FieldSweepRowESR : FieldSweepRowNMR;
    TDataHeader h;
    h.Comment = QStringLiteral("simulator");
    h.Frequency = Format(QStringLiteral("%6.1n kHz"), {double(c.FrequencyHz) / 1000});
    h.B0 = FormatB0(m, true, 0);
    h.ModAmp = Format(QStringLiteral("%3.2n Gs"), {modAmpGs});
    h.SweepTime = FormatSweepTime(1);
    h.Gain = FormatInteger(Gain(modAmpGs, fixedGain));
    h.Phase = FormatPhase(0);
    h.Acc = QStringLiteral("1");
    h.Resonance = c.Resonance;
    h.SweepTp = 1;
    h.SweepR = FieldSweepRangeValue(row, c.SweepIndex + 1);
    return h;
}

// meril-proc's report of the stored pass.
QJsonObject Measured(const QString& path, const QString& model)
{
    const TProcRun run = RunMerilProc({"--fit", model, path});
    if (run.ExitCode != 0)
        qWarning("meril-proc: %s", run.Err.constData());
    return QJsonDocument::fromJson(run.Out).object();
}

double Within(double value, double truth)
{
    return std::abs(value - truth) / truth;
}

} // namespace

class TestFitSimulator : public QObject {
    Q_OBJECT
private slots:
    void wholeChain_data();
    void wholeChain();
};

void TestFitSimulator::wholeChain_data()
{
    QTest::addColumn<int>("sample");
    QTest::addColumn<double>("highModAmp");
    QTest::addColumn<bool>("fixedGain");
    QTest::newRow("solid-h") << int(TSample::SolidH) << 2.0 << false;
    QTest::newRow("solid-f") << int(TSample::SolidF) << 2.0 << false;
    QTest::newRow("esr") << int(TSample::EsrStandard) << 1.5 << false;
    QTest::newRow("crystal-h") << int(TSample::CrystalH) << 2.0 << false;
    QTest::newRow("solid-h, gain 128, clipped") << int(TSample::SolidH) << 2.0 << true;
    QTest::newRow("esr, gain 128, clipped") << int(TSample::EsrStandard) << 1.5 << true;
}

void TestFitSimulator::wholeChain()
{
    QFETCH(int, sample);
    QFETCH(double, highModAmp);
    QFETCH(bool, fixedGain);
    // 20 Gs (NMR) and 15 Gs (ESR) sweeps; the 19F line sits at 13 171 kHz, the
    // ESR line (g 2.0036) at 50 041 kHz, both within a fraction of a gauss of B0.
    const TChainCase cases[] = {
        {TSample::SolidH, "NMR 1H", "gauss", false, 3, 14000000},
        {TSample::SolidF, "NMR 19F", "gauss", false, 3, 13171000},
        {TSample::EsrStandard, "ESR", "lorentz", true, 5, 50041000},
        {TSample::CrystalH, "NMR 1H", "pake", false, 3, 14000000},
    };
    const TChainCase& c = *std::find_if(std::begin(cases), std::end(cases), [&](const TChainCase& k) { return int(k.Sample) == sample; });
    QTemporaryDir dir;
    QJsonObject reports[2];
    const double modAmps[2] = {0.5, highModAmp};
    for (int k = 0; k < 2; ++k) {
        TInstrumentConfig config;
        config.Sample = c.Sample;
        config.Points = Points;
        config.Seed = quint32(17 + k);
        const std::vector<int32_t> pass = SimulatedPass(config, SetupCommands(c, modAmps[k], fixedGain));
        QCOMPARE(int(pass.size()), Points);
        const QString path = dir.filePath(QStringLiteral("pass%1.dcw").arg(k));
        WriteSpectrumFile(path, Header(c, modAmps[k], fixedGain), pass);
        reports[k] = Measured(path, c.Model);
        const QJsonObject fit = reports[k]["fit"].toObject();
        QVERIFY2(!fit.isEmpty() && !fit["centre"].isNull(),
                 QJsonDocument(reports[k]["warnings"].toArray()).toJson(QJsonDocument::Compact).constData());
        qInfo("%s at %.1f Gs: SDB %.3f, derivative M2 %.3f; fit pp_width %.4f +- %.4f, width %.4f +- %.4f, M2 %.3f +- %.3f, "
              "alpha %.4f +- %.4f, r %.4f +- %.4f, g %.5f +- %.5f, chi2_red %.2f, corr %.3f",
              QTest::currentDataTag(), modAmps[k], reports[k]["SDB"].toDouble(), reports[k]["derivative"].toObject()["M2"].toDouble(),
              fit["pp_width"].toDouble(), fit["pp_width_u"].toDouble(), fit["width"].toDouble(), fit["width_u"].toDouble(),
              fit["M2"].toDouble(), fit["M2_u"].toDouble(), fit["alpha"].toDouble(), fit["alpha_u"].toDouble(),
              fit["r_HH"].toDouble(), fit["r_HH_u"].toDouble(), fit["g"].toDouble(), fit["g_u"].toDouble(),
              fit["chi2_red"].toDouble(), fit["residual_corr"].toDouble());
        switch (c.Sample) {
        case TSample::SolidH: QVERIFY(Within(fit["M2"].toDouble(), 10) < 0.02); break;
        case TSample::SolidF: QVERIFY(Within(fit["M2"].toDouble(), 16) < 0.02); break;
        case TSample::EsrStandard:
            QVERIFY(Within(fit["pp_width"].toDouble(), 1.5) < 0.02);
            // The stored B0 (0.01 Gs on 17.84 Gs) limits g to about 3e-4.
            QVERIFY(std::abs(fit["g"].toDouble() - 2.0036) <= 2 * fit["g_u"].toDouble());
            QVERIFY(fit["g_u_field"].toDouble() > fit["g_u_fit"].toDouble());
            QVERIFY(fit["M2"].isNull());
            break;
        default:
            // The pair 1.58 A apart: alpha = 1.5 mu_p / r^3 = 5.37 Gs.
            QVERIFY(Within(fit["alpha"].toDouble(), 5.37) < 0.02);
            QVERIFY(Within(fit["r_HH"].toDouble(), 1.58) < 0.01);
            break;
        }
        // The residual is the simulator's noise (2 counts at gain 128, scaled
        // with the gain) and the whole counts of the stored values.
        const double noise = 2 * std::pow(10.0, (Gain(modAmps[k], fixedGain) - 128) / 85.0);
        qInfo("residual rms %.3f, noise %.3f; %d clipped points left out", fit["residual_rms"].toDouble(), noise,
              fit["clipped_left_out"].toInt());
        QVERIFY(fit["residual_rms"].toDouble() < 1.25 * std::hypot(noise, 0.6));
        QVERIFY2(fit["chi2_red"].toDouble() > 0.7 && fit["chi2_red"].toDouble() < 1.4, qPrintable(QString::number(fit["chi2_red"].toDouble())));
        const bool clipped = WarningCodes(reports[k]).contains("clipped");
        QCOMPARE(fit["clipped_left_out"].toInt() > 0, clipped);
        if (fixedGain && k == 1)
            QVERIFY2(clipped, "the strong line reaches the limit");
        QVERIFY(reports[k]["warnings"].isArray());
    }
    // Without the fit the modulation shows: SDB and M2 of the automatic cursors move.
    const double sdbShift = Within(reports[1]["SDB"].toDouble(), reports[0]["SDB"].toDouble());
    const double m2Shift = Within(reports[1]["derivative"].toObject()["M2"].toDouble(), reports[0]["derivative"].toObject()["M2"].toDouble());
    qInfo("%s: SDB moves %.1f %%, derivative M2 %.1f %%", QTest::currentDataTag(), 100 * sdbShift, 100 * m2Shift);
    QVERIFY(sdbShift > 0.02);
    QVERIFY(m2Shift > 0.02);
}

QTEST_GUILESS_MAIN(TestFitSimulator)
#include "test_FitSimulator.moc"
