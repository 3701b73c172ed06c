// The processing window's baseline, its derivative and absorption views and
// the zoom tools of the lower chart.

#include "Baseline.h"
#include "DataProcRig.h"
#include "UZoom.h"
#include "Views.h"

#include <QLabel>
#include <cmath>
#include <QToolBar>
#include <qcustomplot.h>

namespace {

QColor Pixel(TChart& chart, QPoint at)
{
    chart.RepaintNow();
    return chart.Plot()->grab().toImage().pixelColor(at);
}

// The bottom (or right) axis's ticks lie on the multiples of a step of 1, 2, 2.5 or 5
// times a power of ten, at least two of them.
bool TicksOnRoundValues(TChart& chart, bool bottom = true)
{
    chart.RepaintNow();
    const QVector<double> ticks = (bottom ? chart.Plot()->xAxis : chart.Plot()->yAxis2)->tickVector();
    if (ticks.size() < 2)
        return false;
    const double step = ticks[1] - ticks[0];
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step)));
    bool round = false;
    for (const double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        round = round || std::abs(mantissa - m) < 1e-6;
    for (const double t : ticks)
        round = round && std::abs(t / step - std::round(t / step)) < 1e-6;
    if (!round)
        qWarning() << "ticks" << ticks;
    return round;
}

} // namespace

class TestDataProcViews : public QObject {
    Q_OBJECT
private slots:
    void baselineLaidAtLoadFromBothEnds();
    void baselineButtonsMoveDerivativeByExactlyOne();
    void absorptionFollowsBaseline();
    void viewsAreExclusiveAndShowTheirTools();
    void zoomBandTwoClicksAnyButton();
    void noZoomWhenSecondClickIsNotRightOfFirst();
    void undoZoomAndVerticalExpansion();
    void zoomByPressDragRelease();
};

// 1000 points: the mean of points 0..100 is the offset, the slope the step
// between the end means over N.
void TestDataProcViews::baselineLaidAtLoadFromBothEnds()
{
    TDataProcRig rig;
    std::vector<int32_t> sums(1000, 50);
    for (int i = 0; i <= 100; ++i)
        sums[size_t(i)] = 100;
    for (int i = 899; i < 1000; ++i)
        sums[size_t(i)] = 0;
    rig.Load(rig.Write(QStringLiteral("step.dcw"), NmrHeader(), sums));
    const TChartSeries& line = *rig.W.SeriesLine0;
    QCOMPARE(line.Count(), 1000);
    QCOMPARE(line.YValue(0), 100.0);
    QVERIFY(std::abs(line.YValue(999) - (100.0 - 100.0 / 1000 * 999)) < 1e-6);
    QCOMPARE(line.XValue(999), rig.W.Series1->XValue(999));
    // The upper readout is the spectrum above the baseline.
    QVERIFY(rig.W.XYST->text().endsWith(QLatin1String(" a.u.")));
}

void TestDataProcViews::baselineButtonsMoveDerivativeByExactlyOne()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.LoadLine(LorentzDerivative(1024, 40, 300, 25), w.FDerivativeTB);
    const auto spectrum = rig.Ys(*w.Series1);
    const auto start = rig.Ys(*w.Series2);
    for (size_t i = 0; i < start.size(); ++i)
        QCOMPARE(start[i], spectrum[i] - w.SeriesLine0->YValue(int(i)));
    for (int k = 1; k <= 3; ++k) {
        rig.Click(w.Line0UpTB);
        for (size_t i = 0; i < start.size(); i += 97)
            QVERIFY2(std::abs(w.Series2->YValue(int(i)) - (start[i] - k)) < 1e-9, qPrintable(QString::number(i)));
    }
    rig.Click(w.Line0DnTB);
    rig.Click(w.Line0RightTB);   // turns about point 0: the far end rises by 0.002 * 1023
    QVERIFY(std::abs(w.Series2->YValue(0) - (start[0] - 2)) < 1e-9);
    QVERIFY(std::abs(w.Series2->YValue(1023) - (start[1023] - 2 - 0.002 * 1023)) < 1e-6);
    rig.Click(w.Line0LeftTB);
    QVERIFY(std::abs(w.Series2->YValue(1023) - (start[1023] - 2)) < 1e-6);
    QCOMPARE(rig.Ys(*w.Series1), spectrum);
}

void TestDataProcViews::absorptionFollowsBaseline()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.LoadLine(LorentzDerivative(1024, 40, 300, 25), w.AbsorptionTB);
    const auto expected = [&] {
        const TLineView spectrum(w.Series1->XValues(), w.Series1->YValues());
        return AbsorptionView(spectrum, w.SeriesLine0->YValues()).DestY;
    };
    QCOMPARE(rig.Ys(*w.Series2), expected());
    const auto before = rig.Ys(*w.Series2);
    rig.Click(w.Line0DnTB);
    QCOMPARE(rig.Ys(*w.Series2), expected());
    QVERIFY(rig.Ys(*w.Series2) != before);
    // The absorption of a derivative comes out positive at its top.
    const auto& y = w.Series2->YValues();
    QVERIFY(*std::max_element(y.begin(), y.end()) > 0);
}

void TestDataProcViews::viewsAreExclusiveAndShowTheirTools()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.Load(rig.Write(QStringLiteral("line.dcw"), NmrHeader(), LorentzDerivative(512, 20)));
    QVERIFY(!w.ZoomTB->isEnabled());
    QVERIFY(!w.FDerivativeToolBar->isVisible());
    QVERIFY(!w.AbsorptionToolBar->isVisible());

    rig.Click(w.FDerivativeTB);
    QVERIFY(w.FDerivativeToolBar->isVisible());
    QVERIFY(w.CursorsToolBar->isVisible());
    QVERIFY(w.M2Panel->isVisible());
    QVERIFY(w.DBPanel->isVisible());
    QVERIFY(!w.AbsorptionPanel->isVisible());
    QCOMPARE(w.DHLabel->text(), QStringLiteral("SDB ="));
    for (QToolButton* b : {w.ZoomTB, w.UnZoomTB, w.VerticalExpTB})
        QVERIFY(b->isEnabled());
    QVERIFY(w.DstMarker.Active);
    QVERIFY(w.DstXYST->text().startsWith(QLatin1String(" B: ")));
    QCOMPARE(w.DDst->BottomAxis().Minimum(), w.DSrc->BottomAxis().Minimum());
    QCOMPARE(w.DDst->BottomAxis().Increment(), 25.0);

    rig.Click(w.AbsorptionTB);
    QVERIFY(!w.FDerivativeTB->isChecked());
    QVERIFY(!w.FDerivativeToolBar->isVisible());
    QVERIFY(w.AbsorptionToolBar->isVisible());
    QVERIFY(w.AbsorptionPanel->isVisible());
    QCOMPARE(w.DHLabel->text(), QStringLiteral("HDB ="));

    rig.Click(w.AbsorptionTB);   // both may be up
    QVERIFY(!w.AbsorptionTB->isChecked());
    QVERIFY(!w.AbsorptionToolBar->isVisible());
    QVERIFY(!w.CursorsToolBar->isVisible());
    QVERIFY(!w.M2Panel->isVisible());
    QVERIFY(!w.Series2->Visible());
    QVERIFY(!w.ZoomTB->isEnabled());
    QVERIFY(!w.DstMarker.Active);
}

void TestDataProcViews::zoomBandTwoClicksAnyButton()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.LoadLine(LorentzDerivative(1001, 40), w.AbsorptionTB);
    TChart& chart = *w.DDst;
    const QRect plot = chart.ChartRect();
    const QPoint start(plot.left() + plot.width() / 4, plot.top() + 3);
    const QPoint end(plot.left() + plot.width() / 2, plot.top() + 3);
    const QPoint inBand(start.x() + 7, plot.top() + 3), outside(end.x() + 40, plot.top() + 3);

    rig.Click(w.ZoomTB);
    QVERIFY(!w.DstMarker.Active);
    const QColor plain = Pixel(chart, inBand);
    ChartClick(chart, start, Qt::RightButton);
    ChartMouse(chart, QEvent::MouseMove, end);
    QCOMPARE(ZoomSelect.EndX, end.x());
    const QColor inverted = Pixel(chart, inBand);
    QCOMPARE(inverted.red(), 255 - plain.red());
    QCOMPARE(inverted.green(), 255 - plain.green());
    QCOMPARE(inverted.blue(), 255 - plain.blue());
    QVERIFY(Pixel(chart, outside) != inverted);

    const double left = chart.BottomAxis().CalcPosPoint(start.x());
    const double right = chart.BottomAxis().CalcPosPoint(end.x());
    ChartClick(chart, QPoint(plot.right() - 5, plot.bottom() - 5), Qt::MiddleButton);   // its own place does not count
    QVERIFY(chart.Zoomed());
    QVERIFY(std::abs(chart.BottomAxis().Minimum() - left) < 1e-9);
    QVERIFY(std::abs(chart.BottomAxis().Maximum() - right) < 1e-9);
    QVERIFY(TicksOnRoundValues(chart));
    // The zoom released "HZ": the marker is back with its handlers.
    QVERIFY(!w.ZoomTB->isChecked());
    QVERIFY(w.DstMarker.Active);
    const int index = (w.Series2->FirstValueIndex() + w.Series2->LastValueIndex()) / 2;
    rig.MoveMarker(index);
    const int markerX = w.Series2->CalcXPos(index);
    ChartClick(chart, QPoint(markerX + 30, plot.center().y()), Qt::LeftButton);
    rig.Draw();
    QCOMPARE(w.DstMarker.GetIndex(), index + 1);
}

void TestDataProcViews::noZoomWhenSecondClickIsNotRightOfFirst()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.LoadLine(LorentzDerivative(1001, 40), w.FDerivativeTB);
    TChart& chart = *w.DDst;
    const QRect plot = chart.ChartRect();
    rig.Click(w.ZoomTB);
    ChartClick(chart, QPoint(plot.center().x(), plot.center().y()), Qt::LeftButton);
    ChartMouse(chart, QEvent::MouseMove, QPoint(plot.center().x() - 50, plot.center().y()));
    ChartClick(chart, QPoint(plot.center().x() - 50, plot.center().y()), Qt::LeftButton);
    QVERIFY(!chart.Zoomed());
    QCOMPARE(chart.BottomAxis().Minimum(), -50.0);
    QVERIFY(w.ZoomTB->isChecked());   // still armed: the next click starts anew
    QCOMPARE(ZoomSelect.Selecting, uint8_t(0));
    ChartClick(chart, QPoint(plot.center().x(), plot.center().y()), Qt::LeftButton);
    QCOMPARE(ZoomSelect.Selecting, uint8_t(1));
    // Releasing "HZ" gives the chart back to the marker.
    rig.Click(w.ZoomTB);
    QVERIFY(w.DstMarker.Active);
    QVERIFY(!chart.Zoomed());
}

void TestDataProcViews::undoZoomAndVerticalExpansion()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.LoadLine(LorentzDerivative(1001, 40), w.FDerivativeTB);
    TChart& chart = *w.DDst;
    rig.Click(w.VerticalExpTB);
    const TAxisRange range = VerticalExpansion(w.Series2->YValues());
    QCOMPARE(chart.RightAxis().Minimum(), range.Minimum);
    QCOMPARE(chart.RightAxis().Maximum(), range.Maximum);
    chart.ZoomRect(QRect(QPoint(chart.ChartRect().left() + 100, chart.ChartRect().top()),
                         QPoint(chart.ChartRect().left() + 200, chart.ChartRect().bottom())));
    rig.Click(w.UnZoomTB);
    QCOMPARE(chart.BottomAxis().Minimum(), -50.0);
    QCOMPARE(chart.BottomAxis().Maximum(), 50.0);
    QCOMPARE(chart.BottomAxis().Increment(), 25.0);
    // The vertical expansion outlasts the zoom.
    QCOMPARE(chart.RightAxis().Minimum(), range.Minimum);
    QCOMPARE(chart.RightAxis().Maximum(), range.Maximum);
    QVERIFY(TicksOnRoundValues(chart, false));
    // A view switched on anew starts from the whole axis, and "UZ" keeps it.
    rig.Click(w.AbsorptionTB);
    rig.Click(w.FDerivativeTB);
    rig.Click(w.UnZoomTB);
    QCOMPARE(chart.RightAxis().Minimum(), -500.0);
    QCOMPARE(chart.RightAxis().Maximum(), 500.0);
    QCOMPARE(chart.RightAxis().Increment(), 250.0);
}

// "HZ", then press, drag and release: the band is zoomed at the release,
// labelled at round values, and "HZ" is up again.
void TestDataProcViews::zoomByPressDragRelease()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.LoadLine(LorentzDerivative(1001, 40), w.AbsorptionTB);
    TChart& chart = *w.DDst;
    // "VE": the right axis from the line's own extremes, labelled at round
    // values; the lower chart's x axis stays under the upper one's.
    rig.Click(w.VerticalExpTB);
    QVERIFY(TicksOnRoundValues(chart, false));
    rig.Draw();
    rig.Draw();
    QCOMPARE(chart.ChartRect().left(), w.DSrc->ChartRect().left());
    QCOMPARE(chart.ChartRect().right(), w.DSrc->ChartRect().right());
    const QRect plot = chart.ChartRect();
    const int from = plot.left() + plot.width() / 3 + 7, to = plot.left() + plot.width() * 2 / 3 - 5;
    const double left = chart.BottomAxis().CalcPosPoint(from);
    const double right = chart.BottomAxis().CalcPosPoint(to);
    rig.Click(w.ZoomTB);
    ChartDrag(chart, from, to);
    QVERIFY(chart.Zoomed());
    QVERIFY(std::abs(chart.BottomAxis().Minimum() - left) < 1e-9);
    QVERIFY(std::abs(chart.BottomAxis().Maximum() - right) < 1e-9);
    QVERIFY(!w.ZoomTB->isChecked());
    QVERIFY(w.DstMarker.Active);
    QVERIFY(TicksOnRoundValues(chart));
    QVERIFY(TicksOnRoundValues(chart, false));
    // Unzoomed, the axis counts from its minimum by a quarter of the range again.
    rig.Click(w.UnZoomTB);
    QCOMPARE(chart.BottomAxis().Increment(), 25.0);
    chart.RepaintNow();
    QCOMPARE(chart.Plot()->xAxis->tickVector().first(), -50.0);
}

QTEST_MAIN(TestDataProcViews)
#include "test_DataProcViews.moc"
