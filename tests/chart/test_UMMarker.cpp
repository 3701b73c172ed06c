#include "Errors.h"
#include "UMMarker.h"

#include <QDir>
#include <QtTest>
#include <cmath>
#include <qcustomplot.h>

namespace {
const QColor MarkerColour(0, 255, 255), Edge(0, 0, 0), Red(255, 0, 0), Yellow(255, 255, 0);

// A shown chart with one series of 101 points, x = i - 50 (times xScale),
// y = i, and a marker with its caption.
struct TRig {
    TChart Chart;
    QLabel Caption;
    TMarker Marker;
    TChartSeries& Series;

    explicit TRig(double xScale = 1) : Series(Chart.AddSeries())
    {
        for (int i = 0; i <= 100; ++i)
            Series.AddXY((i - 50) * xScale, i, Yellow);
        Chart.BottomAxis().SetMinMax(-50 * xScale, 50 * xScale);
        Chart.resize(800, 500);
        Chart.show();
        QCoreApplication::processEvents();
        Chart.RepaintNow();
    }
    void Init(uint8_t mode = 0, uint8_t lineMode = 0, const QString& unit = "Gs")
    {
        Marker.Init(&Chart, Series.Count(), mode, 1, 137, 320, &Caption, lineMode, unit, 'B');
        Chart.RepaintNow();
    }
    void Click(int x, int y)
    {
        QTest::mouseClick(Chart.Plot(), Qt::LeftButton, {}, QPoint(x, y));
        Chart.RepaintNow();
    }
    // Widens the chart until its plotting width is a multiple of 200 pixels,
    // so that the drag threshold (0.5 % of it) is a whole number of pixels.
    bool ThresholdInWholePixels()
    {
        for (int i = 0; i < 5 && Chart.ChartWidth() % 200 != 0; ++i) {
            Chart.resize(Chart.width() + 200 - Chart.ChartWidth() % 200, Chart.height());
            QCoreApplication::processEvents();
            Chart.RepaintNow();
        }
        return Chart.ChartWidth() % 200 == 0;
    }
    int MarkerX() const { return Series.CalcXPos(Marker.GetIndex()); }
    int Tolerance() const { return int(Chart.ChartWidth() * 0.01 * 0.5); }
    QColor Pixel(int x, int y) { return Chart.grab().toImage().pixelColor(x, y); }
};
} // namespace

class TestUMMarker : public QObject {
    Q_OBJECT
private slots:
    void init();
    void globalsStartValues();
    void initMeasuresScaleAndWritesReadout();
    void readoutGroupsThousandsAndSubtractsBaseline();
    void clickBesideStepsOnePointClickOnDrags();
    void dragThresholdIsHalfAPercentEitherSide();
    void dragRoundsToTheNearestPoint();
    void recentredOnlyWhenOutsideTheDrawnPoints();
    void repeatedClicksStopAtDrawnEnds();
    void dragBeyondRangeIsClampedAtNextPaint();
    void unitTextIsCutToFour();
    void horizontalMarkerStepsDragsAndIsPulledBack();   // and switching kinds
    void doneLeavesCaptionAndDataAsTheyWere();
    void storedPositionsDrawnAsLines();
    void everyStoredPositionDrawnTheLastIncluded();
    void keysStepTheMarkerWithinTheDrawnPoints();
    void doubleClickTakesTheMarkerToThePoint();
    void storedLineGrabbedDraggedAndReleased();
    void markerWithoutSeriesOrDestroyedIsHarmless();
    void screenshotOfPassesWithMarker();

private:
    QStringList FErrors;
};

void TestUMMarker::init()
{
    FErrors.clear();
    SetErrorReporter([this](const QString& text) { FErrors << text; });
}

void TestUMMarker::globalsStartValues()
{
    for (const TMarker* m : {&Marker1, &Marker2}) {
        QVERIFY(!m->Active);
        QVERIFY(!m->Dragging);
        QVERIFY(!m->Chart);
        QCOMPARE(m->Index, 15);
        QCOMPARE(m->PixelsPerPoint, 0.0L);
        QCOMPARE(m->CrossY, 50);
        QCOMPARE(m->Level, 50);
        QCOMPARE(m->LineMode, 0);
    }
}

void TestUMMarker::initMeasuresScaleAndWritesReadout()
{
    TRig rig;
    rig.Init();
    QVERIFY(rig.Marker.Active);
    QCOMPARE(rig.Marker.PixelsPerPoint, (long double)(rig.Series.CalcXSizeValue(100) / 101));
    QCOMPARE(rig.Marker.CrossY, rig.Chart.ChartYCenter());
    QCOMPARE(rig.Marker.Index, 15);   // kept from before Init
    QCOMPARE(rig.Caption.text(), QString(" B: -35.00 Gs \u2022 A: 15 a.u."));
    const int x = rig.Series.CalcXPos(15);
    QCOMPARE(rig.Pixel(x, rig.Marker.CrossY - 130), MarkerColour);
    QVERIFY(rig.Pixel(x, rig.Marker.CrossY - 140) != MarkerColour);   // half height 137

    rig.Marker.Centre();
    rig.Chart.RepaintNow();
    QCOMPARE(rig.Marker.Index, 50);
    QCOMPARE(rig.Caption.text(), QString(" B: 0.00 Gs \u2022 A: 50 a.u."));
}

void TestUMMarker::readoutGroupsThousandsAndSubtractsBaseline()
{
    TRig rig(100);
    TChartSeries& baseline = rig.Chart.AddSeries();
    for (int i = 0; i <= 100; ++i)
        baseline.AddXY((i - 50) * 100, 0.5, Qt::white);
    rig.Init();
    QCOMPARE(rig.Caption.text(), QString(" B: -3 500.00 Gs \u2022 A: 15 a.u."));
    rig.Marker.SetBaseline(&baseline);
    QCOMPARE(rig.Marker.Readout(15), 14.5);
    rig.Chart.RepaintNow();
    QCOMPARE(rig.Caption.text(), QString(" B: -3 500.00 Gs \u2022 A: 14 a.u."));   // 14.5 to even
    rig.Marker.SetIndex(16);
    rig.Chart.RepaintNow();
    QCOMPARE(rig.Caption.text(), QString(" B: -3 400.00 Gs \u2022 A: 16 a.u."));   // 15.5 to even
}

void TestUMMarker::clickBesideStepsOnePointClickOnDrags()
{
    TRig rig;
    rig.Init();
    rig.Marker.Centre();
    rig.Chart.RepaintNow();
    const int y = rig.Chart.ChartYCenter();

    // Within 0.5 % of the plotting width: the button takes the marker.
    QTest::mousePress(rig.Chart.Plot(), Qt::LeftButton, {}, QPoint(rig.MarkerX() + rig.Tolerance(), y));
    QVERIFY(rig.Marker.Dragging);
    QTest::mouseRelease(rig.Chart.Plot(), Qt::LeftButton, {}, QPoint(rig.MarkerX() + rig.Tolerance(), y));
    QVERIFY(!rig.Marker.Dragging);
    QCOMPARE(rig.Marker.Index, 50);

    // One pixel further: one point towards the click, however far it is.
    rig.Click(rig.MarkerX() + rig.Tolerance() + 1, y);
    QCOMPARE(rig.Marker.Index, 51);
    QVERIFY(!rig.Marker.Dragging);
    rig.Click(rig.Chart.ChartRect().left(), y);
    QCOMPARE(rig.Marker.Index, 50);
    QTest::mouseClick(rig.Chart.Plot(), Qt::RightButton, {}, QPoint(rig.Chart.ChartRect().left(), y));
    QCOMPARE(rig.Marker.Index, 50);
}

void TestUMMarker::dragThresholdIsHalfAPercentEitherSide()
{
    TRig rig;
    QVERIFY(rig.ThresholdInWholePixels());
    rig.Init();
    rig.Marker.Centre();
    rig.Chart.RepaintNow();
    const int threshold = rig.Chart.ChartWidth() / 200;
    const int y = rig.Chart.ChartYCenter();
    QWidget* plot = rig.Chart.Plot();
    for (const int side : {-1, 1}) {
        // Exactly at the threshold the button takes the marker ...
        const int x = rig.MarkerX() + side * threshold;
        QTest::mousePress(plot, Qt::LeftButton, {}, QPoint(x, y));
        QVERIFY(rig.Marker.Dragging);
        QTest::mouseRelease(plot, Qt::LeftButton, {}, QPoint(x, y));
        QCOMPARE(rig.Marker.Index, 50);
        // ... one pixel beyond it steps one point that way.
        rig.Click(rig.MarkerX() + side * (threshold + 1), y);
        QVERIFY(!rig.Marker.Dragging);
        QCOMPARE(rig.Marker.Index, 50 + side);
        rig.Marker.Centre();
        rig.Chart.RepaintNow();
    }
}

void TestUMMarker::dragRoundsToTheNearestPoint()
{
    TRig rig;
    rig.Chart.BottomAxis().SetMinMax(-20.5, 20.5);   // points 30 .. 70 drawn
    rig.Init();
    rig.Marker.Centre();
    rig.Chart.RepaintNow();
    const double perPoint = double(rig.Marker.PixelsPerPoint);
    QVERIFY(perPoint > 8);   // room for pixels on both sides of a half point
    const int y = rig.Chart.ChartYCenter();
    QWidget* plot = rig.Chart.Plot();
    QTest::mousePress(plot, Qt::LeftButton, {}, QPoint(rig.MarkerX(), y));
    QVERIFY(rig.Marker.Dragging);
    // The mouse's distance from the first drawn point, in points, rounded.
    const int first = rig.Series.CalcXPos(30);
    const int belowHalf = int(std::ceil(10.5 * perPoint)) - 1;   // 10.4.. points
    const int aboveHalf = int(std::floor(10.5 * perPoint)) + 1;  // 10.5.. points
    QTest::mouseMove(plot, QPoint(first + belowHalf, y));
    QCOMPARE(rig.Marker.Index, 40);
    QTest::mouseMove(plot, QPoint(first + aboveHalf, y));
    QCOMPARE(rig.Marker.Index, 41);
    QTest::mouseMove(plot, QPoint(first + int(std::floor(0.4 * perPoint)), y));
    QCOMPARE(rig.Marker.Index, 30);
    QTest::mouseMove(plot, QPoint(first - int(std::ceil(0.6 * perPoint)), y));   // left of it: before point 30
    QCOMPARE(rig.Marker.Index, 29);
    QTest::mouseRelease(plot, Qt::LeftButton, {}, QPoint(first, y));
}

void TestUMMarker::recentredOnlyWhenOutsideTheDrawnPoints()
{
    TRig rig;
    rig.Init();
    const QRect plot = rig.Chart.ChartRect();
    const TChartAxis& bottom = rig.Chart.BottomAxis();
    rig.Chart.ZoomRect(QRect(QPoint(bottom.CalcPosValue(-10.2), plot.top()),
                             QPoint(bottom.CalcPosValue(11.2), plot.bottom())));   // points 40 .. 61
    rig.Chart.RepaintNow();
    QCOMPARE(rig.Series.FirstValueIndex(), 40);
    QCOMPARE(rig.Series.LastValueIndex(), 61);
    QCOMPARE(rig.Marker.Index, 40);   // a zoom alone keeps it at the nearest drawn end
    const long double unzoomed = rig.Marker.PixelsPerPoint;
    // On the first paint after a reset of the scale: an index at either end
    // stays; one beyond them goes to the middle of the drawn points.
    const std::pair<int, int> cases[] = {{40, 40}, {61, 61}, {39, 50}, {62, 50}, {15, 50}};
    for (const auto& [index, shown] : cases) {
        rig.Marker.SetIndex(index);
        rig.Marker.PixelsPerPoint = 0;
        rig.Chart.RepaintNow();
        QCOMPARE(rig.Marker.Index, shown);
    }
    QVERIFY(rig.Marker.PixelsPerPoint > 4 * unzoomed);   // measured on the zoomed axis
    rig.Chart.UndoZoom();
    rig.Chart.RepaintNow();
    QCOMPARE(rig.Marker.Index, 50);
}

void TestUMMarker::repeatedClicksStopAtDrawnEnds()
{
    TRig rig;
    rig.Init();
    rig.Chart.BottomAxis().SetMinMax(-20.5, 20.5);   // points 30 .. 70 drawn
    rig.Chart.RepaintNow();
    QCOMPARE(rig.Marker.Index, 30);   // drawn at the nearest end
    const QRect plot = rig.Chart.ChartRect();
    for (int i = 0; i < 45; ++i)
        rig.Click(plot.right(), plot.center().y());
    QCOMPARE(rig.Marker.Index, 70);
    for (int i = 0; i < 45; ++i)
        rig.Click(plot.left(), plot.center().y());
    QCOMPARE(rig.Marker.Index, 30);
}

void TestUMMarker::dragBeyondRangeIsClampedAtNextPaint()
{
    TRig rig;
    rig.Chart.BottomAxis().SetMinMax(-20.5, 20.5);   // points 30 .. 70 drawn
    rig.Init();
    rig.Marker.Centre();
    rig.Chart.RepaintNow();
    const int y = rig.Chart.ChartYCenter();
    QWidget* plot = rig.Chart.Plot();
    QTest::mousePress(plot, Qt::LeftButton, {}, QPoint(rig.MarkerX(), y));
    QVERIFY(rig.Marker.Dragging);
    QTest::mouseMove(plot, QPoint(rig.Series.CalcXPos(40), y));
    QCOMPARE(rig.Marker.Index, 40);

    QTest::mouseMove(plot, QPoint(plot->width() - 1, y));   // over the axis labels, past point 70
    QVERIFY(rig.Marker.Index > 70);
    QCOMPARE(rig.Marker.GetIndex(), 70);
    rig.Chart.RepaintNow();
    QCOMPARE(rig.Marker.Index, 70);
    QTest::mouseRelease(plot, Qt::LeftButton, {}, QPoint(plot->width() - 1, y));
    QVERIFY(!rig.Marker.Dragging);

    QTest::mouseMove(plot, QPoint(rig.Series.CalcXPos(40), y));   // not dragging: no effect
    QCOMPARE(rig.Marker.Index, 70);
}

void TestUMMarker::unitTextIsCutToFour()
{
    TRig rig;
    rig.Init(0, 0, "kHzXY");
    QCOMPARE(rig.Marker.UnitText, QString("kHzX"));
    QCOMPARE(rig.Caption.text(), QString(" B: -35.00 kHzX \u2022 A: 15 a.u."));
}

void TestUMMarker::horizontalMarkerStepsDragsAndIsPulledBack()
{
    TRig rig;
    const TChartAxis& right = rig.Chart.RightAxis();
    const QRect plot = rig.Chart.ChartRect();
    rig.Marker.Level = right.CalcPosValue(100);
    rig.Init(1);
    QCOMPARE(rig.Caption.text(), QString(" A: 100 a.u."));
    QCOMPARE(rig.Pixel(rig.Chart.ChartXCenter() + 319, rig.Marker.Level), MarkerColour);

    rig.Click(plot.center().x(), plot.bottom());   // far below: one pixel down
    QCOMPARE(rig.Marker.Level, right.CalcPosValue(100) + 1);

    QWidget* widget = rig.Chart.Plot();
    QTest::mousePress(widget, Qt::LeftButton, {}, QPoint(100, rig.Marker.Level + rig.Tolerance()));
    QVERIFY(rig.Marker.Dragging);
    QTest::mouseMove(widget, QPoint(100, plot.top() - 10));   // above the axis maximum
    QCOMPARE(rig.Marker.Level, plot.top() - 10);
    rig.Chart.RepaintNow();
    QCOMPARE(rig.Marker.Level, plot.top());
    QCOMPARE(rig.Caption.text(), QString(" A: 500 a.u."));
    QTest::mouseMove(widget, QPoint(100, plot.bottom() + 10));
    rig.Chart.RepaintNow();
    QCOMPARE(rig.Marker.Level, plot.bottom());
    QCOMPARE(rig.Caption.text(), QString(" A: -500 a.u."));
    QTest::mouseRelease(widget, Qt::LeftButton, {}, QPoint(100, plot.bottom() + 10));
    QVERIFY(!rig.Marker.Dragging);

    // Switching kinds keeps both the index and the level.
    rig.Marker.SelectKind(0);
    rig.Chart.RepaintNow();
    QCOMPARE(rig.Marker.Index, 15);
    QCOMPARE(rig.Caption.text(), QString(" B: -35.00 Gs \u2022 A: 15 a.u."));
    rig.Marker.SelectKind(1);
    rig.Chart.RepaintNow();
    QCOMPARE(rig.Marker.Level, plot.bottom());
}

void TestUMMarker::doneLeavesCaptionAndDataAsTheyWere()
{
    TRig rig;
    rig.Init();
    const QString text = rig.Caption.text();
    rig.Marker.Done();
    QVERIFY(!rig.Marker.Active);
    QVERIFY(!rig.Chart.OnMouseDown && !rig.Chart.OnMouseMove && !rig.Chart.OnMouseUp);
    QVERIFY(rig.Chart.OnAfterDraw);   // stays, inactive
    rig.Click(rig.Chart.ChartRect().right(), rig.Chart.ChartYCenter());
    rig.Chart.RepaintNow();
    QCOMPARE(rig.Caption.text(), text);
    QCOMPARE(rig.Marker.Index, 15);
    QVERIFY(rig.Pixel(rig.Series.CalcXPos(15), rig.Marker.CrossY - 100) != MarkerColour);

    rig.Marker.Init(&rig.Chart, 101, 0, 1, 137, 320, &rig.Caption, 0, "Gs", 'B');   // the data survived
    rig.Chart.RepaintNow();
    QCOMPARE(rig.Marker.Index, 15);
    QCOMPARE(rig.Caption.text(), text);
}

void TestUMMarker::storedPositionsDrawnAsLines()
{
    TRig rig;
    rig.Init(0, 1);
    rig.Marker.Positions[1] = 20;
    rig.Marker.Positions[2] = 80;
    rig.Marker.Positions[3] = 101;   // beyond the series: no line, no error
    rig.Marker.PositionCount = 3;   // every slot inside: everyStoredPositionDrawnTheLastIncluded
    rig.Chart.RepaintNow();
    const QRect plot = rig.Chart.ChartRect();
    QCOMPARE(rig.Pixel(rig.Series.CalcXPos(20), plot.top() + 3), Red);
    QCOMPARE(rig.Pixel(rig.Series.CalcXPos(80), plot.bottom() - 3), Red);
    QVERIFY(FErrors.isEmpty());
    QCOMPARE(rig.Chart.Canvas().PenColor(), QColor(128, 0, 0));   // set back after the lines

    rig.Marker.HideLines();
    rig.Chart.RepaintNow();
    QVERIFY(rig.Pixel(rig.Series.CalcXPos(20), plot.top() + 3) != Red);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, rig.Marker.Positions[0]);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, rig.Marker.Positions[1101]);
}

// Each slot up to PositionCount is a line, the last one too: it is the
// centre line of M2 and the right line of SDB, HDB and Integral. Slots
// beyond PositionCount are not drawn.
void TestUMMarker::everyStoredPositionDrawnTheLastIncluded()
{
    TRig rig;
    rig.Init(0, 1);
    const int at[] = {10, 30, 45, 70, 90};
    for (int k = 1; k <= 5; ++k)
        rig.Marker.Positions[k] = uint16_t(at[k - 1]);
    rig.Marker.Index = 60;   // the marker itself stands on none of them
    const QRect plot = rig.Chart.ChartRect();
    for (const int count : {1, 3, 4}) {
        rig.Marker.PositionCount = uint8_t(count);
        rig.Chart.RepaintNow();
        for (int k = 1; k <= 5; ++k) {
            const QColor top = rig.Pixel(rig.Series.CalcXPos(at[k - 1]), plot.top() + 3);
            QVERIFY2((top == Red) == (k <= count), qPrintable(QStringLiteral("slot %1 of %2").arg(k).arg(count)));
        }
    }
}

// The keys of a focused chart, as owners hand them over.
void TestUMMarker::keysStepTheMarkerWithinTheDrawnPoints()
{
    TRig rig;
    rig.Init();
    rig.Marker.SetIndex(50);
    QVERIFY(rig.Marker.KeyPress(Qt::Key_Right, {}));
    QCOMPARE(rig.Marker.Index, 51);
    QVERIFY(rig.Marker.KeyPress(Qt::Key_Left, Qt::ShiftModifier));
    QCOMPARE(rig.Marker.Index, 41);
    QVERIFY(rig.Marker.KeyPress(Qt::Key_End, {}));
    QCOMPARE(rig.Marker.Index, 100);
    QVERIFY(rig.Marker.KeyPress(Qt::Key_Right, Qt::ShiftModifier));
    QCOMPARE(rig.Marker.Index, 100);   // stops at the last drawn point
    // Zoomed: the drawn points bound the steps.
    rig.Chart.BottomAxis().SetMinMax(-20, 20);   // points 30 ... 70
    rig.Chart.RepaintNow();
    QVERIFY(rig.Marker.KeyPress(Qt::Key_Home, {}));
    QCOMPARE(rig.Marker.Index, 30);
    QVERIFY(rig.Marker.KeyPress(Qt::Key_Left, {}));
    QCOMPARE(rig.Marker.Index, 30);
    rig.Chart.RepaintNow();
    QCOMPARE(rig.Caption.text(), QString(" B: -20.00 Gs \u2022 A: 30 a.u."));
    QVERIFY(!rig.Marker.KeyPress(Qt::Key_A, {}));
    // A horizontal marker moves by pixels; an inactive one takes no key.
    rig.Marker.SelectKind(1);
    rig.Marker.Level = 100;
    QVERIFY(rig.Marker.KeyPress(Qt::Key_Down, Qt::ShiftModifier));
    QCOMPARE(rig.Marker.Level, 110);
    QVERIFY(!rig.Marker.KeyPress(Qt::Key_Left, {}));
    rig.Marker.Done();
    QVERIFY(!rig.Marker.KeyPress(Qt::Key_Down, {}));
    QCOMPARE(rig.Marker.Level, 110);
}

// A single click beside the marker steps it by one point; a double click
// takes it to the point under the mouse.
void TestUMMarker::doubleClickTakesTheMarkerToThePoint()
{
    TRig rig;
    rig.Init();
    rig.Marker.SetIndex(50);
    rig.Chart.RepaintNow();
    const int y = rig.Chart.ChartYCenter();
    rig.Click(rig.Series.CalcXPos(80), y);
    QCOMPARE(rig.Marker.Index, 51);
    QTest::mouseDClick(rig.Chart.Plot(), Qt::LeftButton, {}, QPoint(rig.Series.CalcXPos(80), y));
    rig.Chart.RepaintNow();
    QCOMPARE(rig.Marker.Index, 80);
    QCOMPARE(rig.Caption.text(), QString(" B: 30.00 Gs \u2022 A: 80 a.u."));
    QVERIFY(!rig.Marker.Dragging);
}

// Pressing on a stored line asks the owner; when it takes the line up the
// marker is dragged from there, and the release is told.
void TestUMMarker::storedLineGrabbedDraggedAndReleased()
{
    TRig rig;
    rig.Init(0, 1);
    rig.Marker.Positions[1] = 20;
    rig.Marker.Positions[2] = 80;
    rig.Marker.PositionCount = 2;
    rig.Marker.SetIndex(50);
    rig.Chart.RepaintNow();
    QList<int> grabbed;
    int released = 0;
    bool accept = false;
    rig.Marker.OnGrabLine = [&](int line) {
        grabbed << line;
        if (accept)
            rig.Marker.Index = rig.Marker.Positions[line];
        return accept;
    };
    rig.Marker.OnReleaseLine = [&] { ++released; };
    QWidget* widget = rig.Chart.Plot();
    const int y = rig.Chart.ChartYCenter();

    // Refused: an ordinary click beside the marker, one point towards it.
    rig.Click(rig.Series.CalcXPos(80) + 1, y);
    QCOMPARE(grabbed, QList<int>{2});
    QCOMPARE(rig.Marker.Index, 51);
    QCOMPARE(released, 0);

    accept = true;
    QTest::mousePress(widget, Qt::LeftButton, {}, QPoint(rig.Series.CalcXPos(20) - 2, y));
    QCOMPARE(grabbed.last(), 1);
    QVERIFY(rig.Marker.Dragging);
    QTest::mouseMove(widget, QPoint(rig.Series.CalcXPos(33), y));
    QCOMPARE(rig.Marker.Index, 33);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, QPoint(rig.Series.CalcXPos(33), y));
    QCOMPARE(released, 1);
    QVERIFY(!rig.Marker.Dragging);
    // A drag of the marker itself is no line drag.
    QTest::mousePress(widget, Qt::LeftButton, {}, QPoint(rig.MarkerX(), y));
    QTest::mouseRelease(widget, Qt::LeftButton, {}, QPoint(rig.MarkerX(), y));
    QCOMPARE(released, 1);
    QCOMPARE(grabbed.size(), 2);
    // Far from any line: no question.
    QCOMPARE(rig.Marker.LineAt(rig.Series.CalcXPos(50)), 0);
}

void TestUMMarker::markerWithoutSeriesOrDestroyedIsHarmless()
{
    TRig rig;
    rig.Caption.setText("before");
    rig.Marker.Init(&rig.Chart, 101, 0, 3, 137, 320, &rig.Caption, 0, "Gs", 'B');   // no series 3
    rig.Chart.RepaintNow();
    rig.Marker.Centre();
    rig.Click(100, 100);
    QCOMPARE(rig.Caption.text(), QString("before"));
    QCOMPARE(rig.Marker.GetIndex(), 15);

    {
        TMarker shortLived;
        shortLived.Init(&rig.Chart, 101, 0, 1, 137, 320, &rig.Caption, 0, "Gs", 'B');
    }
    rig.Chart.RepaintNow();
    rig.Click(100, 100);
    QCOMPARE(rig.Caption.text(), QString("before"));
    QVERIFY(FErrors.isEmpty());
}

void TestUMMarker::screenshotOfPassesWithMarker()
{
    // Five passes in their colours by age, the white average and the marker.
    const QColor passColours[5] = {Yellow, QColor(255, 0, 255), QColor(0, 0, 128), QColor(128, 128, 0), Red};
    TChart chart;
    QLabel caption(&chart);
    caption.setGeometry(20, 16, 320, 18);
    caption.setStyleSheet("color: white");
    const int n = 1024;
    for (int pass = 0; pass <= 5; ++pass) {
        TChartSeries& s = chart.AddSeries();
        for (int i = 0; i < n; ++i) {
            const double x = -50 + 100.0 * i / (n - 1), d = (x - 4) / 3, shift = pass < 5 ? (pass - 2) * 50 : -10;
            s.AddXY(x, -300 * d / std::pow(1 + d * d, 2) + shift + 6 * std::sin(i * (pass + 1)),
                    pass < 5 ? passColours[pass] : QColor(Qt::white));
        }
    }
    chart.resize(800, 500);
    chart.show();
    TMarker marker;
    marker.Init(&chart, n, 0, 1, 137, 320, &caption, 0, "Gs", 'B');
    chart.RepaintNow();
    marker.SetIndex(420);
    chart.RepaintNow();
    QVERIFY(caption.text().startsWith(" B: -8.94 Gs \u2022 A: "));
    const QImage image = chart.grab().toImage();
    // The line stands out between dark edges wherever it crosses a pass.
    const int x = chart.Series(0).CalcXPos(420);
    for (int y = marker.CrossY - 125; y <= marker.CrossY + 125; y += 10) {   // off the short cross line
        QCOMPARE(image.pixelColor(x, y), MarkerColour);
        QCOMPARE(image.pixelColor(x - 1, y), Edge);
        QCOMPARE(image.pixelColor(x + 1, y), Edge);
    }
    QVERIFY(image.save(QDir::current().filePath("marker_passes.png")));
}

QTEST_MAIN(TestUMMarker)
#include "test_UMMarker.moc"
