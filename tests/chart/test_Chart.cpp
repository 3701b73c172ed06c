#include "Chart.h"
#include "Errors.h"

#include <QScreen>
#include <QtTest>
#include <qcustomplot.h>

namespace {
const QColor Yellow(255, 255, 0), Red(255, 0, 0), Green(0, 255, 0), Blue(0, 0, 255), Cyan(0, 255, 255),
    Orange(255, 128, 0);

// A shown 800 x 500 chart, drawn once.
struct TShownChart {
    TChart Chart;
    TShownChart()
    {
        Chart.resize(800, 500);
        Chart.show();
        QCoreApplication::processEvents();   // the plot's own first queued replot
        Chart.RepaintNow();
    }
    int Col(double x) const { return Chart.BottomAxis().CalcPosValue(x); }
    int Row(double y) const { return Chart.RightAxis().CalcPosValue(y); }
    QColor Pixel(double x, double y) { return Image().pixelColor(Col(x), Row(y)); }
    QImage Image()
    {
        Chart.RepaintNow();
        return Chart.grab().toImage();
    }
};

// Points x = first .. first + count - 1 at height y.
void AddLine(TChartSeries& s, double first, int count, double y, const QColor& c)
{
    for (int i = 0; i < count; ++i)
        s.AddXY(first + i, y, c);
}
} // namespace

class TestChart : public QObject {
    Q_OBJECT
private slots:
    void init();
    void pixelConversionsRoundTripAndMatchTheDrawing();
    void drawnIndexesFollowAxisRangeAndZoom();
    void repaintsAreCoalesced();
    void hiddenChartDrawsWhenShown();
    void pointColoursAreKept();
    void manyPointsKeepTheirExtremesAndColours();
    void hiddenSeriesIsNotDrawn();
    void mouseEventsReachTheHandlers();
    void handlersMayReplaceThemselvesOrThrow();
    void afterDrawRunsOnEveryDrawWithCanvas();
    void afterDrawErrorIsReportedAfterTheDraw();
    void seriesAfterDrawRunsWhenShown();
    void axisTicksStartAtMinimumWithFormattedLabels();
    void badIndexThrows();
    void liveSeriesRedrawAloneAndLookAsDrawnWhole();
    void liveSeriesAreDrawnAboveTheOthers();

private:
    QStringList FErrors;
};

void TestChart::init()
{
    FErrors.clear();
    SetErrorReporter([this](const QString& text) { FErrors << text; });
}

void TestChart::pixelConversionsRoundTripAndMatchTheDrawing()
{
    TShownChart t;
    const TChartAxis& bottom = t.Chart.BottomAxis();
    const TChartAxis& right = t.Chart.RightAxis();
    const QRect r = t.Chart.ChartRect();
    QVERIFY(r.width() > 600 && r.height() > 350);
    QCOMPARE(bottom.CalcPosValue(-50), r.left());
    QCOMPARE(bottom.CalcPosValue(50), r.right());
    QCOMPARE(right.CalcPosValue(500), r.top());
    QCOMPARE(right.CalcPosValue(-500), r.bottom());
    QCOMPARE(bottom.CalcSizeValue(100), double(r.width() - 1));

    for (int x = r.left(); x <= r.right(); ++x)
        QCOMPARE(bottom.CalcPosValue(bottom.CalcPosPoint(x)), x);
    for (int y = r.top(); y <= r.bottom(); ++y)
        QCOMPARE(right.CalcPosValue(right.CalcPosPoint(y)), y);
    const double halfPixel = 0.5001 * 100 / (r.width() - 1);
    for (const double v : {-50.0, -33.3, 0.0, 12.345, 49.99})
        QVERIFY(std::abs(bottom.CalcPosPoint(bottom.CalcPosValue(v)) - v) <= halfPixel);

    // Far outside values still give a pixel, not an overflow.
    QVERIFY(bottom.CalcPosValue(1e300) > r.right());
    QVERIFY(right.CalcPosValue(1e300) < r.top());

    // The series are drawn where the conversions say.
    TChartSeries& level = t.Chart.AddSeries();
    AddLine(level, -50, 101, 300, Yellow);
    TChartSeries& upright = t.Chart.AddSeries();
    upright.AddXY(37, -400, Cyan);
    upright.AddXY(37, 400, Cyan);
    QCOMPARE(level.CalcXPos(13), t.Col(-37));
    QCOMPARE(level.CalcYPos(13), t.Row(300));
    const QImage image = t.Image();
    QCOMPARE(image.pixelColor(t.Col(-37), t.Row(300)), Yellow);
    QCOMPARE(image.pixelColor(t.Col(37), t.Row(-100)), Cyan);
    QVERIFY(image.pixelColor(t.Col(-37), t.Row(300) + 2) != Yellow);
}

void TestChart::drawnIndexesFollowAxisRangeAndZoom()
{
    TShownChart t;
    TChartSeries& s = t.Chart.AddSeries();
    QCOMPARE(s.FirstValueIndex(), -1);
    QCOMPARE(s.LastValueIndex(), -1);
    AddLine(s, -50, 100, 0, Yellow);   // x = i - 50
    QCOMPARE(s.FirstValueIndex(), 0);
    QCOMPARE(s.LastValueIndex(), 99);

    TChartAxis& bottom = t.Chart.BottomAxis();
    bottom.SetMinMax(-10.5, 10.5);
    QCOMPARE(s.FirstValueIndex(), 40);
    QCOMPARE(s.LastValueIndex(), 60);
    bottom.SetMinMax(-100, -60);
    QCOMPARE(s.FirstValueIndex(), -1);
    QCOMPARE(s.LastValueIndex(), -1);
    // A point computed onto the limit with a rounding error is still drawn.
    bottom.SetMinMax(-50, 49 - 1e-12);
    QCOMPARE(s.LastValueIndex(), 99);

    bottom.SetMinMax(-50, 50);
    t.Chart.RepaintNow();
    int zooms = 0, undos = 0;
    t.Chart.OnZoom = [&] { ++zooms; };
    t.Chart.OnUndoZoom = [&] { ++undos; };
    const QRect r = t.Chart.ChartRect();
    t.Chart.ZoomRect(QRect(QPoint(t.Col(20), r.bottom()), QPoint(t.Col(10), r.top())));   // no width
    QCOMPARE(zooms, 0);
    t.Chart.ZoomRect(QRect(QPoint(t.Col(-5.2), r.top()), QPoint(t.Col(5.2), r.bottom())));
    QCOMPARE(zooms, 1);
    QVERIFY(t.Chart.Zoomed());
    QCOMPARE(s.FirstValueIndex(), 45);
    QCOMPARE(s.LastValueIndex(), 55);
    // The full height keeps the right axis range.
    QCOMPARE(t.Chart.RightAxis().Minimum(), -500.0);
    QCOMPARE(t.Chart.RightAxis().Maximum(), 500.0);

    t.Chart.UndoZoom();
    QCOMPARE(undos, 1);
    QVERIFY(!t.Chart.Zoomed());
    QCOMPARE(bottom.Minimum(), -50.0);
    QCOMPARE(bottom.Maximum(), 50.0);
    QCOMPARE(s.FirstValueIndex(), 0);
    QCOMPARE(s.LastValueIndex(), 99);
}

void TestChart::repaintsAreCoalesced()
{
    TShownChart t;
    TChartSeries& s = t.Chart.AddSeries();
    t.Chart.RepaintNow();
    const int before = t.Chart.DrawCount();
    for (int i = 0; i < 1000; ++i)
        s.AddXY(i, i % 100, Yellow);
    QCOMPARE(t.Chart.DrawCount(), before);   // nothing drawn while the points arrive
    QTRY_VERIFY(t.Chart.DrawCount() > before);
    QVERIFY(t.Chart.DrawCount() - before <= 2);
}

void TestChart::hiddenChartDrawsWhenShown()
{
    TShownChart hidden, clock;
    hidden.Chart.hide();
    const int before = hidden.Chart.DrawCount();
    hidden.Chart.Repaint();
    clock.Chart.Repaint();   // due no earlier than the hidden chart's draw
    const int clockBefore = clock.Chart.DrawCount();
    QTRY_VERIFY(clock.Chart.DrawCount() > clockBefore);
    QCOMPARE(hidden.Chart.DrawCount(), before);
    hidden.Chart.show();
    QTRY_VERIFY(hidden.Chart.DrawCount() > before);
}

void TestChart::pointColoursAreKept()
{
    TShownChart t;
    TChartSeries& s = t.Chart.AddSeries();
    for (int i = 0; i <= 100; ++i)
        s.AddXY(i - 50, 300, i <= 50 ? Red : Green);
    QCOMPARE(s.ValueColor(0), Red);
    QCOMPARE(t.Pixel(-37, 300), Red);
    QCOMPARE(t.Pixel(37, 300), Green);

    // The segment ending at a point takes that point's colour.
    s.SetValueColor(70, Blue);
    QCOMPARE(t.Pixel(19.5, 300), Blue);
    QCOMPARE(t.Pixel(20.5, 300), Green);

    s.SetAllColors(Cyan);
    QCOMPARE(t.Pixel(-37, 300), Cyan);
    QCOMPARE(t.Pixel(37, 300), Cyan);
    s.SetValueColor(0, Red);   // no longer one colour, though no segment ends at point 0
    QCOMPARE(t.Pixel(37, 300), Cyan);
    s.SetValueColor(1, Red);
    QCOMPARE(t.Pixel(-49.5, 300), Red);
}

void TestChart::manyPointsKeepTheirExtremesAndColours()
{
    TShownChart t;
    TChartSeries& s = t.Chart.AddSeries();
    const int n = 65535;
    s.Reserve(n);
    for (int i = 0; i < n; ++i)   // a band of points alternating between +200 and -200
        s.AddXY(-50 + 100.0 * i / (n - 1), i % 2 ? 200 : -200, i < n / 2 ? Cyan : Orange);
    const QImage image = t.Image();
    for (const double x : {-40.3, -20.7, 20.7, 40.3}) {
        const QColor expected = x < 0 ? Cyan : Orange;
        for (const double y : {200.0, 0.0, -200.0})
            QCOMPARE(image.pixelColor(t.Col(x), t.Row(y)), expected);
    }
}

void TestChart::hiddenSeriesIsNotDrawn()
{
    TShownChart t;
    TChartSeries& s = t.Chart.AddSeries();
    AddLine(s, -50, 101, 300, Yellow);
    const QColor background = t.Pixel(-37, 100);
    QCOMPARE(t.Pixel(-37, 300), Yellow);
    s.Hide();
    QVERIFY(!s.Visible());
    QCOMPARE(t.Pixel(-37, 300), background);
    s.Show();
    QCOMPARE(t.Pixel(-37, 300), Yellow);
}

void TestChart::mouseEventsReachTheHandlers()
{
    TShownChart t;
    QStringList events;
    const auto record = [&](const char* kind) {
        return [&events, kind](const TChartMouse& m) { events << QString("%1 %2 %3,%4").arg(kind).arg(m.Button).arg(m.X).arg(m.Y); };
    };
    t.Chart.OnMouseDown = record("down");
    t.Chart.OnMouseMove = record("move");
    t.Chart.OnMouseUp = record("up");
    int clicks = 0;
    t.Chart.OnClick = [&] { ++clicks; };

    QWidget* plot = t.Chart.Plot();
    QTest::mousePress(plot, Qt::LeftButton, {}, QPoint(100, 120));
    QTest::mouseMove(plot, QPoint(110, 130));
    QTest::mouseRelease(plot, Qt::LeftButton, {}, QPoint(110, 130));
    QCOMPARE(events, QStringList({"down 1 100,120", "move 0 110,130", "up 1 110,130"}));
    QCOMPARE(clicks, 1);
    QCOMPARE(t.Chart.CursorPos(), QPoint(110, 130));

    events.clear();
    QTest::mouseClick(plot, Qt::RightButton, {}, QPoint(200, 220));
    QCOMPARE(events, QStringList({"down 2 200,220", "up 2 200,220"}));
    QCOMPARE(clicks, 1);   // only the left button clicks

    t.Chart.OnMouseDown = nullptr;
    t.Chart.OnMouseMove = nullptr;
    t.Chart.OnMouseUp = nullptr;
    QTest::mouseClick(plot, Qt::LeftButton, {}, QPoint(50, 60));
    QCOMPARE(clicks, 2);
}

void TestChart::handlersMayReplaceThemselvesOrThrow()
{
    TShownChart t;
    int first = 0, second = 0;
    t.Chart.OnMouseDown = [&](const TChartMouse&) {
        t.Chart.OnMouseDown = [&](const TChartMouse&) { ++second; };
        ++first;
    };
    QTest::mouseClick(t.Chart.Plot(), Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseClick(t.Chart.Plot(), Qt::LeftButton, {}, QPoint(100, 100));
    QCOMPARE(first, 1);
    QCOMPARE(second, 1);

    t.Chart.OnMouseDown = [](const TChartMouse&) { throw EMerilError("mouse failed"); };
    QTest::mouseClick(t.Chart.Plot(), Qt::LeftButton, {}, QPoint(100, 100));
    QCOMPARE(FErrors, QStringList("mouse failed"));
}

void TestChart::afterDrawRunsOnEveryDrawWithCanvas()
{
    TShownChart t;
    int calls = 0;
    const QRect band(t.Col(-20), t.Row(400), 20, 30);
    t.Chart.OnAfterDraw = [&](TChartCanvas& canvas) {
        if (++calls == 1)
            canvas.SetPenColor(Cyan);   // kept for the following draws
        QVERIFY(!canvas.PenInvert());   // reset at each draw
        canvas.MoveTo(t.Col(-40), t.Row(100));
        canvas.LineTo(t.Col(-30), t.Row(100));
        canvas.SetPenInvert(true);
        canvas.MoveTo(t.Col(30), t.Row(-300));
        canvas.LineTo(t.Col(30), t.Row(-350));
        canvas.InvertRect(band);
        canvas.DrawCross(t.Col(10), t.Row(-100), 5, 10, Red);
    };
    const int before = t.Chart.DrawCount();
    const QColor background = t.Pixel(-35, 50);
    const QColor inverted(255 - background.red(), 255 - background.green(), 255 - background.blue());
    const QImage image = t.Image();
    QCOMPARE(calls, t.Chart.DrawCount() - before);
    QCOMPARE(calls, 2);
    QCOMPARE(image.pixelColor(t.Col(-35), t.Row(100)), Cyan);
    QCOMPARE(image.pixelColor(t.Col(30), t.Row(-320)), inverted);
    QCOMPARE(image.pixelColor(band.center()), inverted);
    QCOMPARE(image.pixelColor(t.Col(10) + 5, t.Row(-100)), Red);
    QCOMPARE(image.pixelColor(t.Col(10), t.Row(-100) - 10), Red);
    QCOMPARE(image.pixelColor(t.Col(10) + 6, t.Row(-100)), background);

    t.Chart.Repaint();   // coalesced draws call it too
    QTRY_COMPARE(calls, 3);
    t.Chart.Canvas().LineTo(10, 10);   // outside a draw: nothing happens
}

void TestChart::afterDrawErrorIsReportedAfterTheDraw()
{
    TShownChart t;
    t.Chart.OnAfterDraw = [&](TChartCanvas&) {
        QVERIFY(FErrors.isEmpty());   // not reported inside the draw
        throw EMerilError("draw failed");
    };
    t.Chart.RepaintNow();
    QCOMPARE(FErrors, QStringList("draw failed"));
    t.Chart.OnAfterDraw = nullptr;   // the chart goes on drawing
    const int before = t.Chart.DrawCount();
    t.Chart.RepaintNow();
    QCOMPARE(t.Chart.DrawCount(), before + 1);
}

void TestChart::seriesAfterDrawRunsWhenShown()
{
    TShownChart t, other;
    TChartSeries& s = t.Chart.AddSeries();
    TChartSeries& mirror = other.Chart.AddSeries();
    int calls = 0;
    s.OnAfterDraw = [&] {   // keeps a series of another chart in step
        ++calls;
        mirror.Clear();
        mirror.AddXY(0, 0, Yellow);
    };
    t.Chart.RepaintNow();
    QCOMPARE(calls, 1);
    QCOMPARE(mirror.Count(), 1);
    s.Hide();
    t.Chart.RepaintNow();
    QCOMPARE(calls, 1);
}

void TestChart::axisTicksStartAtMinimumWithFormattedLabels()
{
    TShownChart t;
    QCPAxis* x = t.Chart.Plot()->xAxis;
    QCPAxis* y = t.Chart.Plot()->yAxis2;
    t.Chart.RepaintNow();
    QCOMPARE(x->tickVector(), QVector<double>({-50, -25, 0, 25, 50}));
    QCOMPARE(x->tickVectorLabels(), QVector<QString>({"-50 [Gs]", "-25 [Gs]", "0 [Gs]", "25 [Gs]", "50 [Gs]"}));
    QCOMPARE(y->tickVectorLabels(), QVector<QString>({"-500", "-250", "0", "250", "500"}));

    TChartAxis& bottom = t.Chart.BottomAxis();
    bottom.SetMinMax(-3.1, 7.7);
    bottom.SetIncrement(2.7);
    bottom.SetValueFormat("# ##0.### [kHz]");
    t.Chart.RepaintNow();
    QCOMPARE(x->tickVectorLabels(), QVector<QString>({"-3.1 [kHz]", "-0.4 [kHz]", "2.3 [kHz]", "5 [kHz]", "7.7 [kHz]"}));

    bottom.SetMinMax(0, 5000);
    bottom.SetIncrement(1250);
    t.Chart.RepaintNow();
    QCOMPARE(x->tickVectorLabels()[1], QString("1 250 [kHz]"));

    // Too many labels for the width: every n-th of the increment's ticks, from the minimum.
    bottom.SetIncrement(1);
    t.Chart.RepaintNow();
    const QVector<double> ticks = x->tickVector();
    QVERIFY(ticks.size() >= 3 && ticks.size() < 20);
    QCOMPARE(ticks[0], 0.0);
    QCOMPARE(ticks[1], std::round(ticks[1]));
}

void TestChart::badIndexThrows()
{
    TShownChart t;
    TChartSeries& s = t.Chart.AddSeries();
    AddLine(s, 0, 5, 0, Yellow);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, s.XValue(5));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, s.CalcXPos(-1));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, s.SetYValue(7, 1));
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, t.Chart.Series(1));
}

namespace {
// Five finished passes and an average of n points; the pass being measured
// (series 0, live) gets its points later; the average (series 5) is live.
void FillAcquisition(TChart& chart, int n)
{
    const QColor colours[] = {Yellow, Red, Green, Blue, Cyan, Qt::white};
    for (int k = 0; k < 6; ++k) {
        TChartSeries& s = chart.AddSeries();
        if (k == 0)
            continue;
        for (int i = 0; i < n; ++i)
            s.AddXY(-50 + 100.0 * i / (n - 1), 300 * std::sin(i * 0.01 * k) + (i % 5) * 20, colours[k]);
    }
    chart.Series(0).SetLive(true);
    chart.Series(5).SetLive(true);
}

// The window's picture as the screen has it (pending repaints done).
QImage OnScreen(QWidget& window)
{
    QCoreApplication::processEvents();
    return window.screen()->grabWindow(window.winId()).toImage();
}

void AddLivePoints(TChart& chart, int from, int to, int n)
{
    for (int i = from; i < to; ++i)
        chart.Series(0).AddXY(-50 + 100.0 * i / (n - 1), 450 * std::cos(i * 0.003), i % 40 < 20 ? Yellow : Orange);
}
} // namespace

void TestChart::liveSeriesRedrawAloneAndLookAsDrawnWhole()
{
    const int n = 20000;
    TShownChart layered, whole;
    FillAcquisition(layered.Chart, n);
    FillAcquisition(whole.Chart, n);
    whole.Chart.SetLayeredDrawing(false);
    layered.Chart.RepaintNow();

    // Points of the live series arrive in bursts, each drawn before the next.
    QSignalSpy wholeDraws(layered.Chart.Plot(), &QCustomPlot::afterReplot);
    for (int burst = 0; burst < 8; ++burst) {
        const int before = layered.Chart.DrawCount();
        AddLivePoints(layered.Chart, burst * 1500, (burst + 1) * 1500, n);
        QTRY_VERIFY(layered.Chart.DrawCount() > before);
    }
    // Holding: the last point follows the signal.
    layered.Chart.Series(0).SetYValue(layered.Chart.Series(0).Count() - 1, -450);
    const int before = layered.Chart.DrawCount();
    QTRY_VERIFY(layered.Chart.DrawCount() > before);
    QCOMPARE(wholeDraws.count(), 0);   // nothing but the live layer was drawn

    AddLivePoints(whole.Chart, 0, 8 * 1500, n);
    whole.Chart.Series(0).SetYValue(whole.Chart.Series(0).Count() - 1, -450);
    whole.Chart.RepaintNow();
    // What each window shows, then the chart as grab() draws it anew from its buffers.
    const QImage shownLayered = OnScreen(layered.Chart), shownWhole = OnScreen(whole.Chart);
    QCOMPARE(shownLayered.size(), shownWhole.size());
    QVERIFY(shownLayered == shownWhole);
    const QImage drawnLayered = layered.Chart.grab().toImage();
    const QImage drawnWhole = whole.Chart.grab().toImage();
    QCOMPARE(drawnLayered.size(), drawnWhole.size());
    QVERIFY(drawnLayered == drawnWhole);
    QCOMPARE(layered.Pixel(-50 + 100.0 * 6000 / (n - 1), 450 * std::cos(6000 * 0.003)), Yellow);

    // Anything else redraws the whole chart: an axis, a repaint for a tool.
    layered.Chart.RightAxis().SetMinMax(-600, 600);
    QTRY_COMPARE(wholeDraws.count(), 1);
    layered.Chart.Repaint();
    QTRY_COMPARE(wholeDraws.count(), 2);

    // Drawn the old way, every new point redraws the whole chart.
    QSignalSpy oldDraws(whole.Chart.Plot(), &QCustomPlot::afterReplot);
    AddLivePoints(whole.Chart, 8 * 1500, 8 * 1500 + 10, n);
    QTRY_VERIFY(oldDraws.count() > 0);
}

void TestChart::liveSeriesAreDrawnAboveTheOthers()
{
    TShownChart t;
    TChartSeries& first = t.Chart.AddSeries();
    TChartSeries& second = t.Chart.AddSeries();
    AddLine(first, -50, 101, 100, Yellow);
    AddLine(second, -50, 101, 100, Red);
    QCOMPARE(t.Pixel(-10, 100), Red);   // series order
    first.SetLive(true);
    QCOMPARE(t.Pixel(-10, 100), Yellow);
    first.SetAllColors(Green);   // drawn on its own layer
    QCOMPARE(t.Pixel(-10, 100), Green);
    first.Hide();
    QCOMPARE(t.Pixel(-10, 100), Red);
    first.Show();
    first.SetLive(false);
    QCOMPARE(t.Pixel(-10, 100), Red);
}

QTEST_MAIN(TestChart)
#include "test_Chart.moc"
