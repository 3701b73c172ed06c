// The main window as the operator sees it: disconnected, connected, in the
// middle of a run and after it. The pictures (screenshots/*.png) are for
// people to look at; the checks are what must be on them.

#include "Chart.h"
#include "ElidedLabel.h"
#include "FCWHarness.h"
#include "Screenshot.h"
#include "UpDown.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QToolButton>
#include <QTest>

class TestFCWScreens : public QObject {
    Q_OBJECT

    static int BrightPixels(const QImage& image, const QRect& area)
    {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); y += 2)
            for (int x = area.left(); x <= area.right(); x += 2)
                n += qGray(image.pixel(x, y)) > 200;
        return n;
    }

    static int YellowPixels(const QImage& image, const QRect& area)
    {
        int n = 0;
        for (int y = area.top(); y < area.bottom(); ++y)
            for (int x = area.left(); x < area.right(); ++x) {
                const QColor p = image.pixelColor(x, y);
                n += p.red() > 200 && p.green() > 200 && p.blue() < 80;
            }
        return n;
    }

private slots:
    void mainWindowThroughARun()
    {
        TFCWHarness h;
        TInstrumentConfig c = h.Instrument().Config();
        c.Points = 1024;
        c.Sample = TSample::SolidH;
        h.Instrument().Configure(c);
        SetupRecord setup = h.Setup().Stored();
        setup.Gain = 150;
        setup.ModAmp = 7;
        h.Setup().SetStored(setup);
        h.FCW().resize(1280, 800);
        QCOMPARE(h.FCW().width(), 1280);
        SaveScreenshot(h.FCW(), QStringLiteral("FCW-disconnected"));

        QVERIFY(h.Connect());
        h.FCW().FieldSwRngUpDown->Click(TUpDown::btNext);  // a field sweep of 10 Gs
        for (int i = 0; i < 3; ++i)
            h.FCW().FieldSwRngUpDown->Click(TUpDown::btNext);
        h.FCW().AccUpDown->Click(TUpDown::btNext);
        h.FCW().AccUpDown->Click(TUpDown::btNext);
        SaveScreenshot(h.FCW(), QStringLiteral("FCW-connected"));

        // The photographed moment: the second pass, 700 of its 1024 points in.
        // The link holds the instrument there: pass 1 is A, B, 1024 V, C, D.
        h.Link().HoldAfterLines(1028 + 2 + 700);
        h.FCW().StartToolB->click();
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Run().Pass() == 2 && h.Run().Points() == 700; }, 20000));
        QCOMPARE(h.Run().Pass(), 2);
        QCOMPARE(h.Run().State(), int(esRunning));
        QCOMPARE(h.Panel(2), QStringLiteral("Spectrometer: Experiment in progress - please wait"));
        // The window as the screen shows it while the pass grows, drawn point by point.
        const QRect chart(h.FCW().Fid->mapTo(&h.FCW(), QPoint(0, 0)), h.FCW().Fid->size());
        // The last points may have been drawn before the hold or may still be
        // due: wait for the screen to show them, not for one more draw.
        QImage shown;
        QTRY_VERIFY((shown = h.FCW().screen()->grabWindow(h.FCW().winId()).toImage(),
                     YellowPixels(shown, chart) > 300));
        shown.save(QStringLiteral("screenshots/FCW-running-shown.png"));

        h.FCW().Fid->RepaintNow();
        const QImage midRun = SaveScreenshot(h.FCW(), QStringLiteral("FCW-running"));
        // The yellow pass being measured and the earlier pass are drawn on the chart.
        QVERIFY(YellowPixels(midRun, chart) > 300);

        h.Link().ReleaseHold();
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Run().State() == esFinished; }, 20000));
        h.FCW().AccDToolB->click();
        h.FCW().Fid->RepaintNow();
        const QImage done = SaveScreenshot(h.FCW(), QStringLiteral("FCW-finished"));
        QVERIFY(h.FCW().XYST->text().startsWith(QStringLiteral(" B: ")));
        QVERIFY(BrightPixels(done, chart) > 100);   // the white average
    }

    void passesNotKeptBesideTheProgress_data() { AddReviewScreens(); }
    // Passes that cannot be written (here: the acquisition folder is gone)
    // are told beside the progress line while the run goes on; both stay readable.
    void passesNotKeptBesideTheProgress()
    {
        QFETCH(QSize, screen);
        const QString gone = QDir::temp().filePath(QStringLiteral("meril-gone-%1").arg(QCoreApplication::applicationPid()));
        TFCWHarness h({gone, gone, gone, QStringLiteral("COM1")}, screen.width());
        TFCW& w = h.FCW();
        w.resize(screen.width(), screen.height() - 30);
        TInstrumentConfig c = h.Instrument().Config();
        c.Points = 200;
        h.Instrument().Configure(c);
        QVERIFY(h.Connect());
        w.AccUpDown->ClickTo(3);
        h.Link().HoldAfterLines(204 + 2 + 100);   // in the middle of pass 2
        w.StartToolB->click();
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Run().Pass() == 2 && h.Run().Points() == 100; }, 20000));
        QTRY_VERIFY(w.RunProgressBar->format().startsWith(QStringLiteral("pass 2 of 3 \u00b7 100/200")));
        QVERIFY(w.RunProgressBar->format().endsWith(QStringLiteral("passes not kept from pass 1 on")));
        QVERIFY(w.ProblemLab->isVisible());
        QVERIFY(w.ProblemLab->text().startsWith(QStringLiteral("Passes not kept from pass 1 on: Cannot create the passes folder")));
        QVERIFY(!Overlap(w.ProblemLab, w.RunProgressBar));
        QVERIFY(!Overlap(w.ProblemLab, w.ProblemOkTB));
        w.Fid->RepaintNow();
        SaveScreenshot(w, QStringLiteral("FCW-passes-not-kept-%1x%2").arg(screen.width()).arg(screen.height()));
        QCOMPARE(h.Operator.Problems(), QString());   // no box holds the run up
    }
};

QTEST_MAIN(TestFCWScreens)
#include "test_FCWScreens.moc"
