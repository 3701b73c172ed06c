// "Stop when known" in the main window on the simulated solid 1H line: the
// option beside the accumulations, the value and the passes still needed in
// the progress line, the chart of u against the passes, and the end of a run
// that left a spoiled pass out. Pictures (screenshots/FCW-known-*.png) at
// 800x600, 1024x768 and 1600x1000.

#include "Chart.h"
#include "FCWHarness.h"
#include "KnownStopPanel.h"
#include "Screenshot.h"
#include "UpDown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QProgressBar>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>

namespace {

constexpr int Points = 512;

// The line weak enough to need a few passes for 1 % (as in the run's own tests).
void SolidLine(TFCWHarness& h, int spoilPass)
{
    TInstrumentConfig c = h.Instrument().Config();
    c.Sample = TSample::SolidH;
    c.Points = Points;
    c.Noise = 4;
    c.Seed = 7;
    c.Faults.SpoilPass = spoilPass;
    h.Instrument().Configure(c);
    SetupRecord s = h.Setup().Stored();
    s.Gain = 128;
    s.FieldSweep = 1;
    s.FieldSwRng = {5, 5, 10, 5};   // 30 Gs
    s.ModAmp = 3;                   // 0.1 Gs
    s.Acc = 30;
    h.Setup().SetStored(s);
}

// "Stop when known" on: M2 to ±1 % with the gauss model.
void M2ToOnePercent(TFCW& w)
{
    w.KnownPanel->KnownCB->click();
    w.KnownPanel->QuantityBox->setCurrentText(QStringLiteral("M2"));
    w.KnownPanel->UncertaintyEdit->setValue(1);
    w.KnownPanel->UncertaintyKindBox->setCurrentText(QStringLiteral("%"));
    w.KnownPanel->ModelBox->setCurrentText(QStringLiteral("gauss"));
}


} // namespace

class TestFCWKnownStop : public QObject {
    Q_OBJECT

private slots:
    void screens_data()
    {
        AddReviewScreens();
    }

    // The value ± u and the passes it still needs while the run goes on; the
    // run ends with the pass that knows it, and the panel keeps the picture.
    void screens()
    {
        QFETCH(QSize, screen);
        const QString size = QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height());
        TFCWHarness h(TFCWHarness::ProgramDirIni(), screen.width());
        TFCW& w = h.FCW();
        SolidLine(h, 0);
        w.resize(screen.width(), screen.height() - 30);
        QVERIFY(h.Connect());
        M2ToOnePercent(w);
        QVERIFY2(w.minimumSizeHint().height() <= screen.height() - 30, qPrintable(size));
        SaveScreenshot(w, QStringLiteral("FCW-known-%1-option").arg(size));

        // Held in the third pass, after the fits of the first two.
        h.Link().HoldAfterLines(2 * (Points + 4) + 2 + 200);
        w.StartToolB->click();
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Run().KnownPoints().size() == 2 && h.Run().Points() == 200; }));
        QTRY_VERIFY(w.RunProgressBar->format().startsWith(QStringLiteral("pass 3 of 30 \u00b7 200/512")));
        // "pass 3 of 30 · 200/512 · 1:20 left · M2 = 9.90 ± 0.14 Gs² (1.4 %) · 2 more passes, 1:00"
        const QString progress = w.RunProgressBar->format();
        QVERIFY2(progress.contains(QStringLiteral(" \u00b7 M2 = ")) && progress.contains(QStringLiteral(" Gs\u00b2 (")) &&
                     progress.contains(QStringLiteral(" more passes, ")),
                 qPrintable(progress));
        QVERIFY2(w.RunProgressBar->fontMetrics().horizontalAdvance(progress) < w.RunProgressBar->width(),
                 qPrintable(progress));
        QVERIFY(w.KnownPanel->UChart->isVisible());
        w.Fid->RepaintNow();
        SaveScreenshot(w, QStringLiteral("FCW-known-%1-running").arg(size));

        h.Link().ReleaseHold();
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Run().State() == esFinished; }, 20000));
        QTRY_VERIFY(!w.RunProgressBar->isVisible());
        const TKnownPoint& last = h.Run().KnownPoints().back();
        QVERIFY(last.U <= 0.01 * last.Value);
        QCOMPARE(h.Run().Pass(), last.Pass);
        QCOMPARE(h.Panel(0), QStringLiteral("Acc: %1 of 30").arg(last.Pass));
        QVERIFY2(w.KnownPanel->ValueLab->text().startsWith(QStringLiteral("M2 = ")), qPrintable(w.KnownPanel->ValueLab->text()));
        // The chart: the measured u, the projection from the last and the line of 1 %.
        QCOMPARE(w.KnownPanel->UChart->Series(2).Count(), last.Pass);
        QCOMPARE(w.KnownPanel->UChart->Series(2).YValue(last.Pass - 1), 100 * last.U / last.Value);
        QCOMPARE(w.KnownPanel->UChart->Series(1).YValue(0), 1.0);
        // Scrolled into view on a low screen, it is whole and covers nothing.
        auto* area = w.findChild<QScrollArea*>(QStringLiteral("ParameterArea"));
        area->ensureWidgetVisible(w.KnownPanel->UChart, 0, 0);
        const QRect chart(w.KnownPanel->UChart->mapTo(area->viewport(), QPoint(0, 0)), w.KnownPanel->UChart->size());
        QVERIFY2(area->viewport()->rect().contains(chart), qPrintable(size));
        QVERIFY(!Overlap(w.KnownPanel, w.AccUpDown));
        w.Fid->RepaintNow();
        SaveScreenshot(w, QStringLiteral("FCW-known-%1-finished").arg(size));
        QCOMPARE(h.Operator.Problems(), QString());
    }

    // A spoiled pass is left out of the fit, the panel says which, and the end
    // of the run names it and says that the value was fitted without it.
    void aSpoiledPassIsNamed()
    {
        TFCWHarness h;
        SolidLine(h, 3);
        QVERIFY(h.Connect());
        M2ToOnePercent(h.FCW());
        h.Operator.ExpectMessage(QStringLiteral("Suspect: 1 of "), mbNo);
        QVERIFY(h.RunToEnd(30000));
        QVERIFY2(h.Operator.MessageDetails.last().contains(QStringLiteral("fitted without them")),
                 qPrintable(h.Operator.MessageDetails.last()));
        QVERIFY2(h.Operator.Messages.last().contains(QStringLiteral("pass 3 (deviation")),
                 qPrintable(h.Operator.Messages.last()));
        QVERIFY(h.FCW().KnownPanel->ValueLab->text().contains(QStringLiteral("(suspect 3 left out)")));
        QCOMPARE(h.Operator.Problems(), QString());
    }
};

QTEST_MAIN(TestFCWKnownStop)
#include "test_FCWKnownStop.moc"
