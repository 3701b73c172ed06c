// End to end: an unpaced pass of the simulator's solid 1H sample (a Gaussian
// of M2 = 10 Gs²), taken in as the main window takes the V lines, stored by
// the spectrum file writer with the header the main window fills, and
// measured by meril-proc.
#include "ProcTestUtil.h"
#include "SimulatedPass.h"
#include "UTextTbl.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

namespace {
constexpr int Points = 1024;
constexpr int DataDivisor = 13500;  // of control program version 1.3

// The values of one pass as the main window adds them into its buffer.
std::vector<int32_t> SolidHPass(quint32 seed)
{
    TInstrumentConfig config;
    config.Sample = TSample::SolidH;
    config.Points = Points;
    config.Seed = seed;
    // 50 Gs field sweep, 1 Gs modulation, 14 MHz, B0 at the zero calibration: the line in the middle.
    return SimulatedPass(config, "H005\rR064\rJ00D59F80\rB10802\r", DataDivisor);
}

TDataHeader MainWindowHeader()
{
    TDataHeader h;
    h.Comment = QStringLiteral("solid-h, simulator");
    h.Frequency = FormatFrequency(0, 0);
    h.B0 = FormatB0(0, true, 0);
    h.ModAmp = FormatModAmp(9);  // 1 Gs
    h.SweepTime = FormatSweepTime(1);
    h.Gain = FormatInteger(128);
    h.Phase = FormatPhase(0);
    h.Acc = QStringLiteral("1");
    h.Resonance = QStringLiteral("NMR 1H");
    h.SweepTp = 1;
    h.SweepR = FieldSweepRangeValue(0, 6);  // 50 Gs
    return h;
}
} // namespace

class TestProcSimulator : public QObject {
    Q_OBJECT
private slots:
    void solidHydrogenSecondMoment();
};

void TestProcSimulator::solidHydrogenSecondMoment()
{
    const std::vector<int32_t> pass = SolidHPass(11);
    QCOMPARE(int(pass.size()), Points);
    QTemporaryDir dir;
    const QString path = dir.filePath("solid-h.dcw");
    WriteSpectrumFile(path, MainWindowHeader(), pass);

    // Automatic cursors (where the view reaches 20 counts, about 3 sigma out).
    const TProcRun run = RunMerilProc({path});
    QCOMPARE(run.ExitCode, 0);
    const QJsonObject o = QJsonDocument::fromJson(run.Out).object();
    QCOMPARE(o["points"].toInt(), Points);
    QVERIFY(!o.contains("g"));
    const double m2 = 10;
    for (const char* view : {"derivative", "absorption"}) {
        const QJsonObject v = o[view].toObject();
        qInfo("%s: M2 %.3f +- %.3f Gs2, cursors %d %d %d", view, v["M2"].toDouble(), v["M2_u"].toDouble(),
              v["LC"].toInt(), v["MC"].toInt(), v["RC"].toInt());
        QVERIFY2(qAbs(v["M2"].toDouble() - m2) < 0.1 * m2,
                 qPrintable(QStringLiteral("%1: M2 %2 Gs2").arg(view).arg(v["M2"].toDouble())));
        QVERIFY(v["M2_u"].toDouble() > 0 && v["M2_u"].toDouble() < 0.1 * m2);
    }
    // The simulator's noise (2 counts rms at gain 128) shows at the ends.
    QVERIFY2(o["noise"].toDouble() > 1 && o["noise"].toDouble() < 3, qPrintable(QString::number(o["noise"].toDouble())));

    // The checks: the automatic cursors cut the wings (the low M2 above);
    // cursors at +-5 sigma about the centre leave a clean, well-set
    // spectrum with nothing to warn of.
    const QJsonArray automatic = o["warnings"].toArray();
    QCOMPARE(automatic.size(), 1);
    QCOMPARE(automatic[0].toObject()["code"].toString(), "wings_cut");
    const int centre = o["centre"].toInt(), reach = int(5 * std::sqrt(m2) * (Points - 1) / 50);
    const TProcRun wide =
        RunMerilProc({"--cursors", QStringLiteral("%1,%2,%3").arg(centre - reach).arg(centre).arg(centre + reach), path});
    const QJsonValue warnings = QJsonDocument::fromJson(wide.Out).object()["warnings"];
    QVERIFY2(warnings.isArray() && warnings.toArray().isEmpty(), wide.Out);
}

QTEST_GUILESS_MAIN(TestProcSimulator)
#include "test_ProcSimulator.moc"
