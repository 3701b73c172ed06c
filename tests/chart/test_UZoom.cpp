// The two-click zoom selection on a bare chart: it takes over the chart's
// mouse-down, mouse-move and after-draw handlers, gives them back at
// EndSelect, and zooms only to a band that runs to the right.

#include "UZoom.h"

#include <QMouseEvent>
#include <QtTest>
#include <qcustomplot.h>

namespace {

struct TRig {
    TChart Chart;
    int Downs = 0, Moves = 0, Ups = 0, Draws = 0;

    TRig()
    {
        TChartSeries& s = Chart.AddSeries();
        for (int i = 0; i <= 100; ++i)
            s.AddXY(i - 50, 0, Qt::yellow);
        Chart.BottomAxis().SetMinMax(-50, 50);
        Chart.resize(800, 500);
        Chart.show();
        QCoreApplication::processEvents();
        Chart.OnMouseDown = [this](const TChartMouse&) { ++Downs; };
        Chart.OnMouseMove = [this](const TChartMouse&) { ++Moves; };
        Chart.OnMouseUp = [this](const TChartMouse&) { ++Ups; };
        Chart.OnAfterDraw = [this](TChartCanvas&) { ++Draws; };
        Chart.RepaintNow();
    }
    void Send(QEvent::Type type, int x, Qt::MouseButton button = Qt::NoButton)
    {
        const QPointF at(x, Chart.ChartRect().center().y());
        const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
        QMouseEvent e(type, at, Chart.Plot()->mapToGlobal(at), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(Chart.Plot(), &e);
    }
    void Click(int x, Qt::MouseButton button = Qt::LeftButton)
    {
        Send(QEvent::MouseButtonPress, x, button);
        Send(QEvent::MouseButtonRelease, x, button);
    }
};

} // namespace

class TestUZoom : public QObject {
    Q_OBJECT
private slots:
    void takesOverThreeHandlersAndGivesThemBack();
    void zoomsToBandOverFullHeight();
    void noZoomWhenBandDoesNotRunRight();
    void pressDragReleaseZoomsClickWaitsForTheSecond();
    void newSelectionStartsFresh();
};

void TestUZoom::takesOverThreeHandlersAndGivesThemBack()
{
    TRig rig;
    ZoomSelect.BeginSelect(&rig.Chart);
    const int drawsBefore = rig.Draws;
    rig.Click(300);
    rig.Send(QEvent::MouseMove, 320);
    rig.Chart.RepaintNow();
    QCOMPARE(rig.Downs, 0);
    QCOMPARE(rig.Moves, 0);
    QCOMPARE(rig.Draws, drawsBefore);
    QCOMPARE(rig.Ups, 1);   // the mouse-up stays the owner's
    ZoomSelect.EndSelect();
    QCOMPARE(ZoomSelect.Selecting, uint8_t(0));
    rig.Click(300);
    rig.Send(QEvent::MouseMove, 320);
    rig.Chart.RepaintNow();
    QCOMPARE(rig.Downs, 1);
    QCOMPARE(rig.Moves, 1);
    QCOMPARE(rig.Draws, drawsBefore + 1);
}

void TestUZoom::zoomsToBandOverFullHeight()
{
    TRig rig;
    int zooms = 0;
    rig.Chart.OnZoom = [&] { ++zooms; };
    ZoomSelect.BeginSelect(&rig.Chart);
    rig.Click(200, Qt::RightButton);
    QCOMPARE(ZoomSelect.Selecting, uint8_t(1));
    QCOMPARE(ZoomSelect.StartX, 200);
    rig.Send(QEvent::MouseMove, 400);
    QCOMPARE(ZoomSelect.EndX, 400);
    const double left = rig.Chart.BottomAxis().CalcPosPoint(200);
    const double right = rig.Chart.BottomAxis().CalcPosPoint(400);
    rig.Click(600, Qt::MiddleButton);   // the band ends at the last move, not here
    QCOMPARE(zooms, 1);
    QVERIFY(std::abs(rig.Chart.BottomAxis().Minimum() - left) < 1e-9);
    QVERIFY(std::abs(rig.Chart.BottomAxis().Maximum() - right) < 1e-9);
    QCOMPARE(rig.Chart.RightAxis().Minimum(), -500.0);
    QCOMPARE(rig.Chart.RightAxis().Maximum(), 500.0);
    QCOMPARE(ZoomSelect.Selecting, uint8_t(0));
    ZoomSelect.EndSelect();
}

void TestUZoom::noZoomWhenBandDoesNotRunRight()
{
    TRig rig;
    int zooms = 0;
    rig.Chart.OnZoom = [&] { ++zooms; };
    ZoomSelect.BeginSelect(&rig.Chart);
    for (const int second : {150, 300}) {   // left of the first click, then on it
        rig.Click(300);
        rig.Send(QEvent::MouseMove, second);
        rig.Click(second);
        QCOMPARE(zooms, 0);
        QCOMPARE(ZoomSelect.Selecting, uint8_t(0));
    }
    QCOMPARE(rig.Chart.BottomAxis().Minimum(), -50.0);
    ZoomSelect.EndSelect();
}

// What people do: press, drag, release. A click whose release comes where
// the button went down still waits for the second click. The owner's
// mouse-up runs either way.
void TestUZoom::pressDragReleaseZoomsClickWaitsForTheSecond()
{
    TRig rig;
    int zooms = 0;
    rig.Chart.OnZoom = [&] { ++zooms; };
    ZoomSelect.BeginSelect(&rig.Chart);
    rig.Send(QEvent::MouseButtonPress, 200, Qt::LeftButton);
    rig.Send(QEvent::MouseMove, 260);
    rig.Send(QEvent::MouseMove, 400);
    const double left = rig.Chart.BottomAxis().CalcPosPoint(200);
    const double right = rig.Chart.BottomAxis().CalcPosPoint(400);
    rig.Send(QEvent::MouseButtonRelease, 400, Qt::LeftButton);
    QCOMPARE(zooms, 1);
    QVERIFY(std::abs(rig.Chart.BottomAxis().Minimum() - left) < 1e-9);
    QVERIFY(std::abs(rig.Chart.BottomAxis().Maximum() - right) < 1e-9);
    QCOMPARE(ZoomSelect.Selecting, uint8_t(0));
    QCOMPARE(rig.Ups, 1);

    // A click, then a move, then a click: the release of the first click
    // (a pixel or two of jitter included) does not end the band.
    rig.Send(QEvent::MouseButtonPress, 300, Qt::LeftButton);
    rig.Send(QEvent::MouseMove, 302);
    rig.Send(QEvent::MouseButtonRelease, 302, Qt::LeftButton);
    QCOMPARE(ZoomSelect.Selecting, uint8_t(1));
    rig.Send(QEvent::MouseMove, 500);
    rig.Send(QEvent::MouseButtonRelease, 500, Qt::LeftButton);   // a stray release: no button held
    QCOMPARE(zooms, 1);
    rig.Click(500);
    QCOMPARE(zooms, 2);
    QCOMPARE(rig.Ups, 4);
    // A drag to the left ends the band without a zoom; the unit stays armed.
    rig.Send(QEvent::MouseButtonPress, 400, Qt::LeftButton);
    rig.Send(QEvent::MouseMove, 200);
    rig.Send(QEvent::MouseButtonRelease, 200, Qt::LeftButton);
    QCOMPARE(zooms, 2);
    QCOMPARE(ZoomSelect.Selecting, uint8_t(0));
    ZoomSelect.EndSelect();
    rig.Click(300);
    QCOMPARE(rig.Downs, 1);   // the owner's handlers are back
    QCOMPARE(rig.Ups, 6);
}

// After a completed zoom, a second selection begins at its own first click:
// a click at another column and a click there again, without a move, zooms
// nothing and inverts no column right of the click (the old band's end must
// not be taken over).
void TestUZoom::newSelectionStartsFresh()
{
    TRig rig;
    int zooms = 0;
    rig.Chart.OnZoom = [&] { ++zooms; };
    ZoomSelect.BeginSelect(&rig.Chart);
    rig.Click(200);
    rig.Send(QEvent::MouseMove, 600);
    rig.Click(600);
    QCOMPARE(zooms, 1);
    rig.Chart.RepaintNow();
    const int probe = 450;   // inside the old band, right of the new click
    const QColor plain = rig.Chart.Plot()->grab().toImage().pixelColor(probe, rig.Chart.ChartRect().top() + 2);

    rig.Click(300);
    QCOMPARE(ZoomSelect.Selecting, uint8_t(1));
    QCOMPARE(ZoomSelect.EndX, 300);
    rig.Chart.RepaintNow();
    QCOMPARE(rig.Chart.Plot()->grab().toImage().pixelColor(probe, rig.Chart.ChartRect().top() + 2), plain);
    rig.Click(300);
    QCOMPARE(zooms, 1);
    ZoomSelect.EndSelect();
}

QTEST_MAIN(TestUZoom)
#include "test_UZoom.moc"
