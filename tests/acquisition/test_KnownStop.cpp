// "Stop when known": the passes still needed projected from the 1/sqrt(N) fall
// of u, and runs on the simulator's solid 1H line that stop when M2 is known
// to 1 %, checked against the simulator's truth and against meril-proc's fit
// of the stored spectrum; a spoiled pass is left out of the fit.

#include "DataFile.h"
#include "RunRig.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

namespace {

TKnownTarget M2ToOnePercent()
{
    TKnownTarget t;
    t.Quantity = TKnownQuantity::M2;
    t.Uncertainty = 1;
    t.Relative = true;
    t.Model = TFitModel::Gauss;
    return t;
}

// The solid 1H line (Gaussian, M2 = 10 Gs²) weak enough to need several
// passes for 1 % (modulated with 0.1 Gs, a tenth of its usual signal) and
// quiet enough that a spoiled pass stands out; swept over 30 Gs at unit gain.
TInstrumentConfig SolidLine(int spoilPass)
{
    TInstrumentConfig c;
    c.Sample = TSample::SolidH;
    c.Points = 512;
    c.Noise = 4;
    c.Seed = 7;
    c.Faults.SpoilPass = spoilPass;
    return c;
}

SetupRecord FieldSweep30Gs()
{
    SetupRecord s;
    s.Gain = 128;
    s.FieldSweep = 1;
    s.FieldSwRng = {5, 5, 10, 5};   // 30 Gs
    s.ModAmp = 3;                   // 0.1 Gs
    s.Acc = 30;
    return s;
}

// A run of "M2 to ±1 %" on the solid line, ended.
struct TStoppedRun {
    explicit TStoppedRun(int spoilPass) : Rig(SolidLine(spoilPass), FieldSweep30Gs())
    {
        TRunOptions options;
        options.StopWhenKnown = M2ToOnePercent();
        End = Rig.RunToEnd(options, 60000);
    }
    const std::vector<TKnownPoint>& Points() const { return Rig.Run.KnownPoints(); }
    int Pass() const { return Rig.Run.Pass(); }
    TSimRig Rig;
    std::optional<TRunEnd> End;
};

} // namespace

class TestKnownStop : public QObject {
    Q_OBJECT

private slots:
    void passesStillNeeded_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("u");
        QTest::addColumn<int>("fitted");
        QTest::addColumn<bool>("relative");
        QTest::addColumn<double>("wanted");
        QTest::addColumn<int>("more");   // -1: no estimate
        // 2 % after one pass: u halves with four times the passes.
        QTest::newRow("2 % to 1 %") << 10.0 << 0.2 << 1 << true << 1.0 << 3;
        QTest::newRow("reached exactly") << 10.0 << 0.1 << 4 << true << 1.0 << 0;
        QTest::newRow("absolute, rounded up") << -3.0 << 1.5 << 2 << false << 1.0 << 3;
        QTest::newRow("a little above") << 10.0 << 0.1001 << 9 << true << 1.0 << 1;
        QTest::newRow("value 0, relative") << 0.0 << 0.1 << 3 << true << 1.0 << -1;
    }
    void passesStillNeeded()
    {
        QFETCH(double, value);
        QFETCH(double, u);
        QFETCH(int, fitted);
        QFETCH(bool, relative);
        QFETCH(double, wanted);
        QFETCH(int, more);
        TKnownTarget t = M2ToOnePercent();
        t.Relative = relative;
        t.Uncertainty = wanted;
        TKnownPoint p;
        p.Ok = true;
        p.Value = value;
        p.U = u;
        p.PassesFitted = fitted;
        QCOMPARE(PassesStillNeeded(t, p).value_or(-1), more);
        QCOMPARE(Reached(t, p), more == 0);
        if (more > 0)   // the projection at the passes needed meets the target
            QVERIFY(ProjectedUncertainty(p, fitted + more) <= WantedUncertainty(t, value) * (1 + 1e-12));
    }

    // The run stops with the first pass whose fit gives M2 to 1 %; the stored
    // spectrum fitted again by meril-proc gives the same M2 and u, and the
    // simulator's M2 of 10 Gs² lies within 2 u.
    void m2OfTheSolidLineToOnePercent()
    {
        const TStoppedRun run(0);
        QCOMPARE(run.End, std::optional(TRunEnd::Known));
        QVERIFY2(run.Pass() > 2 && run.Pass() < 30, qPrintable(QString::number(run.Pass())));
        QCOMPARE(int(run.Points().size()), run.Pass());
        for (const TKnownPoint& p : run.Points()) {
            QVERIFY2(p.Ok, qPrintable(p.Failure));
            QCOMPARE(p.PassesFitted, p.Pass);
            QCOMPARE(Reached(M2ToOnePercent(), p), p.Pass == run.Pass());
        }
        const TKnownPoint& last = run.Points().back();
        QVERIFY(last.U <= 0.01 * last.Value);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("solid.dcw"));
        WriteSpectrumFile(path, run.Rig.Run.Header(), run.Rig.Run.Sums());
        QCOMPARE(ReadSpectrumFile(path).Acc, run.Pass());
        QProcess proc;
        proc.start(qEnvironmentVariable("MERIL_PROC"), {QStringLiteral("--fit"), QStringLiteral("gauss"), path});
        QVERIFY(proc.waitForFinished(30000));
        QCOMPARE(proc.exitCode(), 0);
        const QJsonObject fit = QJsonDocument::fromJson(proc.readAllStandardOutput()).object()[QStringLiteral("fit")].toObject();
        const double m2 = fit[QStringLiteral("M2")].toDouble(), u = fit[QStringLiteral("M2_u")].toDouble();
        QVERIFY2(std::abs(m2 - last.Value) <= 1e-9 * last.Value && std::abs(u - last.U) <= 1e-9 * last.U,
                 qPrintable(QStringLiteral("meril-proc %1 ± %2, run %3 ± %4").arg(m2).arg(u).arg(last.Value).arg(last.U)));
        QVERIFY2(std::abs(m2 - 10) <= 2 * u, qPrintable(QStringLiteral("M2 = %1 ± %2").arg(m2).arg(u)));
    }

    // Pass 3 spoiled: from the third pass on it is named suspect and left out
    // of the fit, so that the stop comes no earlier than without it.
    void aSpoiledPassIsLeftOut()
    {
        const int clean = TStoppedRun(0).Pass();
        const TStoppedRun run(3);
        QCOMPARE(run.End, std::optional(TRunEnd::Known));
        QVERIFY2(run.Pass() >= clean, qPrintable(QStringLiteral("%1 < %2").arg(run.Pass()).arg(clean)));
        for (const TKnownPoint& p : run.Points()) {
            QCOMPARE(p.LeftOut, p.Pass >= 3 ? std::vector<int>{3} : std::vector<int>{});
            QCOMPARE(p.PassesFitted, p.Pass >= 3 ? p.Pass - 1 : p.Pass);
        }
        const std::vector<std::pair<int, double>> suspects = run.Rig.Run.SuspectPasses();
        QCOMPARE(suspects.size(), size_t(1));
        QCOMPARE(suspects[0].first, 3);
    }
};

QTEST_GUILESS_MAIN(TestKnownStop)
#include "test_KnownStop.moc"
