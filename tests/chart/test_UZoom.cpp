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

QTEST_MAIN(TestUZoom)
#include "test_UZoom.moc"
