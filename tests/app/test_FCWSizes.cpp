// The main window on screens of 1600x1000, 1024x768 and 800x600: idle, in the
// middle of a run with its progress, on hold, and finished with the marker.
// The pictures (screenshots/FCW-<size>-<state>.png) are for people to look
// at; the checks are what must hold on every screen.

#include "Chart.h"
#include "FCWHarness.h"
#include "Screenshot.h"
#include "StatusBar.h"
#include "UMMarker.h"
#include "UpDown.h"

#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>
#include <cmath>

namespace {

// One pass of n points: a first-derivative line in the middle of the sweep,
// its tips beyond the axis (flagged out of range) when tall.
QByteArray Pass(int n, int from, int to, double height)
{
    QByteArray lines;
    for (int i = from; i < to; ++i) {
        const double d = (i - n / 2.0) / (n / 40.0);
        const double y = -height * d / std::pow(1 + d * d / 3, 2) + 8 * std::sin(i * 0.7);
        const qint32 raw = qint32(std::lround(y * 13500));
        lines += (std::abs(y) > 500 ? "V!" : "V ") + QByteArray::number(quint32(raw), 16).rightJustified(8, '0') + '\r';
    }
    return lines;
}


} // namespace

class TestFCWSizes : public QObject {
    Q_OBJECT

private slots:
    void screens_data()
    {
        AddReviewScreens();
    }

    void screens()
    {
        QFETCH(QSize, screen);
        const QString size = QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height());
        TFCWHarness h(TFCWHarness::ProgramDirIni(), screen.width(), TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        // The whole window fits the screen, title bar of about 30 pixels aside.
        QVERIFY2(w.minimumSizeHint().width() <= screen.width() && w.minimumSizeHint().height() <= screen.height() - 30,
                 qPrintable(QStringLiteral("minimum %1x%2").arg(w.minimumSizeHint().width()).arg(w.minimumSizeHint().height())));
        w.resize(screen.width(), screen.height() - 30);
        QCOMPARE(w.size(), QSize(screen.width(), screen.height() - 30));
        h.ConnectScripted();
        SaveScreenshot(w, QStringLiteral("FCW-%1-idle").arg(size));

        const int n = 400;
        w.AccUpDown->Click(TUpDown::btNext);
        w.StartToolB->click();
        h.Feed("A0190\rB\r" + Pass(n, 0, n, 600) + "C\rD\r");
        h.Feed("A0190\rB\r" + Pass(n, 0, 150, 1000));
        QTRY_VERIFY(w.RunProgressBar->isVisible());
        w.Fid->RepaintNow();
        SaveScreenshot(w, QStringLiteral("FCW-%1-running").arg(size));
        // The progress is read whole, on every screen.
        QVERIFY2(w.RunProgressBar->fontMetrics().horizontalAdvance(w.RunProgressBar->format()) <
                     w.RunProgressBar->width(),
                 qPrintable(w.RunProgressBar->format()));

        h.Feed("H1\r");
        QTRY_VERIFY(w.RunProgressBar->format().endsWith(QStringLiteral("on hold")));
        w.Fid->RepaintNow();
        SaveScreenshot(w, QStringLiteral("FCW-%1-hold").arg(size));
        h.Feed("H0\r" + Pass(n, 150, n, 1000) + "C\rD\r");
        QCOMPARE(w.Spectrometer().Run().State(), int(esFinished));

        w.AccDToolB->click();
        w.DHToolB->click();
        Marker1.SetIndex(n / 2 - 10);
        w.Fid->RepaintNow();
        QTRY_VERIFY(!w.RunProgressBar->isVisible());
        SaveScreenshot(w, QStringLiteral("FCW-%1-finished").arg(size));
        // Readouts and labels on the chart do not cover each other.
        QVERIFY(w.OutOfRangeLab->isVisible());
        QVERIFY(!Overlap(w.DBST, w.OutOfRangeLab));
        QVERIFY(!Overlap(w.XYST, w.OutOfRangeLab));
        QVERIFY(!Overlap(w.XYST, w.DBST));
        QVERIFY(!Overlap(w.LegendPanel, w.DBST));
        QVERIFY(!Overlap(w.LegendPanel, w.XYST));
    }

    // The standard setup that scripts/run-demo.sh writes shows the simulator's
    // default line in NMR and its ESR standard in ESR inside the axis.
    void demoSetupShowsTheLine_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<TSample>("sample");
        QTest::newRow("NMR") << 0 << TSample::LiquidH;
        QTest::newRow("ESR") << 3 << TSample::EsrStandard;
    }

    void demoSetupShowsTheLine()
    {
        QFETCH(int, mode);
        QFETCH(TSample, sample);
        TFCWHarness h(TFCWHarness::ProgramDirIni(), 1024);
        TInstrumentConfig c = h.Instrument().Config();
        c.Sample = sample;
        h.Instrument().Configure(c);
        SetupRecord setup = h.Setup().Stored();
        setup.Gain = 130;
        setup.FieldSweep = 1;
        setup.FieldSwRng = {4, 4, 10, 6};
        setup.FreqSwRng = 3;
        setup.ModAmp = 7;
        setup.SweepT = 1;
        setup.Mode = uint8_t(mode);
        h.Setup().SetStored(setup);
        h.FCW().resize(1024, 738);
        QVERIFY(h.Connect());
        QCOMPARE(h.Setup().Mode(), mode);
        QVERIFY(h.RunToEnd());
        const TChartSeries& pass = h.CurrentPass();
        double low = 0, high = 0;
        int lowAt = 0, highAt = 0;
        for (int i = 0; i < pass.Count(); ++i) {
            if (pass.YValue(i) < low)
                low = pass.YValue(i), lowAt = i;
            if (pass.YValue(i) > high)
                high = pass.YValue(i), highAt = i;
        }
        // A line well above the noise, inside -500..500, its tips within the sweep.
        QVERIFY2(high > 150 && low < -150 && high < 480 && low > -480,
                 qPrintable(QStringLiteral("%1..%2").arg(low).arg(high)));
        QVERIFY(!h.FCW().OutOfRangeLab->isVisible());
        QVERIFY(std::min(lowAt, highAt) > pass.Count() / 10 && std::max(lowAt, highAt) < pass.Count() * 9 / 10);
        h.FCW().AccDToolB->click();
        Marker1.SetIndex(highAt);
        h.FCW().Fid->RepaintNow();
        SaveScreenshot(h.FCW(), QStringLiteral("FCW-demo-%1").arg(QString::fromLatin1(QTest::currentDataTag())));
    }
};

QTEST_MAIN(TestFCWSizes)
#include "test_FCWSizes.moc"
