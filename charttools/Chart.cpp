#include "Chart.h"

#include "ChartLine.h"
#include "ChartTicker.h"
#include "Errors.h"
#include "NumFormat.h"

#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <qcustomplot.h>

namespace {
// Look of the chart: a dark plotting area on which bright and dark pass
// colours (yellow ... navy) all read, light labels, subtle grid.
const QColor PlotBackground(80, 82, 88);
const QColor OuterBackground(40, 41, 45);
const QColor AxisColour(190, 190, 190);
const QColor GridColour(118, 120, 128);
constexpr int Margin = 15;   // plotting rectangle to widget edge, at least

// Pixel values far outside any screen, kept inside int.
int PixelToInt(double pixel)
{
    if (!std::isfinite(pixel))
        return 0;
    return int(std::lround(std::clamp(pixel, -1e9, 1e9)));
}

void StyleAxis(QCPAxis* axis)
{
    axis->setBasePen(QPen(AxisColour));
    axis->setTickPen(QPen(AxisColour));
    axis->setSubTickPen(QPen(AxisColour));
    axis->setTickLabelColor(AxisColour);
    axis->grid()->setPen(QPen(GridColour, 1, Qt::DotLine));
    axis->grid()->setZeroLinePen(QPen(GridColour, 1, Qt::DotLine));
    axis->grid()->setSubGridVisible(false);
}

// An exception that leaves a handler during a draw must not unwind through
// the plot's drawing; its text is kept and reported once the draw is done.
template <class F>
void KeepError(QString& error, F&& call) noexcept
{
    try {
        call();
    } catch (const std::exception& e) {
        error = ErrorText(e);
    } catch (...) {
        error = QStringLiteral("Unknown error");
    }
}
} // namespace

// The layerable that runs the chart's after-draw on top of everything drawn.
// It sits on a layer that shares the plot's paint buffer, so an inverting pen
// inverts the drawn chart, as long as no series is live (see SetLive).
class TChartOverlay : public QCPLayerable {
public:
    TChartOverlay(TChart& chart, QCustomPlot* plot)
        : QCPLayerable(plot, QStringLiteral("afterdraw")), FChart(chart)
    {
    }

protected:
    void applyDefaultAntialiasingHint(QCPPainter* painter) const override { painter->setAntialiasing(false); }
    void draw(QCPPainter* painter) override { FChart.AfterDraw(painter); }

private:
    TChart& FChart;
};

// The plot, with what QCustomPlot keeps to itself: redrawing the buffer of
// one layer and repainting only the part of the widget that changed
// (QCPLayer::replot repaints all of it, which costs more than the drawing).
class TChartPlot : public QCustomPlot {
public:
    using QCustomPlot::QCustomPlot;
    // False, drawing nothing, when the buffers are not set up (first draw,
    // resize, layers changed) or the layer holds what it cannot draw.
    bool ReplotLayer(QCPLayer* layer, const QRect& changed);

private:
    int BufferIndex(const QCPLayer* layer);
};

// Buffers go as QCustomPlot hands them out: the first run of logical layers
// shares buffer 0, every buffered layer has one of its own and the logical
// layers after it share the next one.
int TChartPlot::BufferIndex(const QCPLayer* layer)
{
    int index = 0;
    for (int i = 0; i < layer->index(); ++i)
        if (this->layer(i)->mode() == QCPLayer::lmBuffered)
            index += this->layer(i + 1)->mode() == QCPLayer::lmLogical ? 2 : 1;
    return index + 1;
}

bool TChartPlot::ReplotLayer(QCPLayer* layer, const QRect& changed)
{
    if (layer->mode() != QCPLayer::lmBuffered || hasInvalidatedPaintBuffers())
        return false;
    const QSharedPointer<QCPAbstractPaintBuffer> buffer = mPaintBuffers.value(BufferIndex(layer));
    if (!buffer)
        return false;
    std::vector<TChartLinePlottable*> lines;
    for (QCPLayerable* child : layer->children()) {
        auto* line = dynamic_cast<TChartLinePlottable*>(child);
        if (!line)
            return false;
        if (line->realVisibility())
            lines.push_back(line);
    }
    buffer->clear(Qt::transparent);
    if (QCPPainter* painter = buffer->startPainting()) {
        for (TChartLinePlottable* line : lines)
            line->DrawClipped(painter);
        delete painter;
        buffer->donePainting();
    }
    buffer->setInvalidated(false);
    update(changed);
    return true;
}

// ---------------------------------------------------------------- series

void TChartSeries::Changed(bool atOnce)
{
    ++FVersion;
    if (FLive && FChart->FLayered)
        FChart->RepaintLive(atOnce ? TChart::FrameMs : TChart::LiveFrameMs);
    else
        FChart->Repaint();
}

void TChartSeries::ChangedFrom(int from)
{
    FChangedFrom = std::min(FChangedFrom, std::max(0, from));
}

void TChartSeries::SetLive(bool on)
{
    if (FLive == on)
        return;
    FLive = on;
    FChart->ArrangeLayers();
}

void TChartSeries::Repaint()
{
    FChart->Repaint();
}

void TChartSeries::SetXValue(int i, double x)
{
    FX.at(size_t(i)) = x;
    ChangedFrom(i - 1);
    Changed();
}

void TChartSeries::SetYValue(int i, double y)
{
    FY.at(size_t(i)) = y;
    ChangedFrom(i - 1);
    Changed();
}

void TChartSeries::SetValueColor(int i, const QColor& c)
{
    const QRgb rgb = c.rgba();
    FColor.at(size_t(i)) = rgb;
    // Before the change every point had FColor[0] when uniform.
    if (FUniformColor && FColor.size() > 1)
        FUniformColor = rgb == FColor[i == 0 ? 1 : 0];
    ChangedFrom(i - 1);
    Changed();
}

void TChartSeries::SetAllColors(const QColor& c)
{
    std::fill(FColor.begin(), FColor.end(), c.rgba());
    FUniformColor = true;
    ChangedFrom(0);
    Changed(true);
}

void TChartSeries::AddXY(double x, double y, const QColor& c)
{
    const QRgb rgb = c.rgba();
    if (!FColor.empty() && rgb != FColor.front())
        FUniformColor = false;
    FX.push_back(x);
    FY.push_back(y);
    FColor.push_back(rgb);
    ChangedFrom(Count() - 2);
    Changed();
}

void TChartSeries::Clear()
{
    FX.clear();
    FY.clear();
    FColor.clear();
    FUniformColor = true;
    ChangedFrom(0);
    Changed(true);
}

void TChartSeries::SetPoints(std::span<const double> x, std::span<const double> y, const QColor& c)
{
    if (x.size() != y.size())
        throw std::invalid_argument("x and y of a series differ in length");
    FX.assign(x.begin(), x.end());
    FY.assign(y.begin(), y.end());
    FColor.assign(x.size(), c.rgba());
    FUniformColor = true;
    Changed();
}

void TChartSeries::SetYValues(std::span<const double> y)
{
    if (y.size() != FY.size())
        throw std::invalid_argument("y values of a series of another length");
    std::copy(y.begin(), y.end(), FY.begin());
    Changed();
}

void TChartSeries::Reserve(int n)
{
    FX.reserve(size_t(n));
    FY.reserve(size_t(n));
    FColor.reserve(size_t(n));
}

void TChartSeries::SetVisible(bool on)
{
    FVisible = on;
    FPlottable->setVisible(on);
    ChangedFrom(0);
    Changed(true);
}

std::pair<int, int> TChartSeries::DrawnRange() const
{
    const TChartAxis& axis = FChart->BottomAxis();
    // A point computed onto the axis limit may miss it by a rounding error.
    const double tolerance = (axis.Maximum() - axis.Minimum()) * 1e-9;
    const int first = int(std::lower_bound(FX.begin(), FX.end(), axis.Minimum() - tolerance) - FX.begin());
    const int last = int(std::upper_bound(FX.begin(), FX.end(), axis.Maximum() + tolerance) - FX.begin()) - 1;
    if (first > last)
        return {-1, -1};
    return {first, last};
}

int TChartSeries::FirstValueIndex() const
{
    return DrawnRange().first;
}

int TChartSeries::LastValueIndex() const
{
    return DrawnRange().second;
}

int TChartSeries::CalcXPos(int index) const
{
    return FChart->BottomAxis().CalcPosValue(XValue(index));
}

int TChartSeries::CalcYPos(int index) const
{
    return FChart->RightAxis().CalcPosValue(YValue(index));
}

double TChartSeries::CalcXSizeValue(double range) const
{
    return FChart->BottomAxis().CalcSizeValue(range);
}

// ---------------------------------------------------------------- axis

TChartAxis::TChartAxis(TChart* chart, QCPAxis* axis, bool vertical)
    : FChart(chart), FAxis(axis), FVertical(vertical)
{
    FAxis->setTicker(QSharedPointer<TChartTicker>::create(*this, *FAxis));
}

QString TChartAxis::FormatLabel(double value) const
{
    return FValueFormat.isEmpty() ? QString::number(value, 'g', 6) : FormatFloat(FValueFormat, value);
}

double TChartAxis::Minimum() const
{
    return FAxis->range().lower;
}

double TChartAxis::Maximum() const
{
    return FAxis->range().upper;
}

void TChartAxis::ShowRange(double minimum, double maximum)
{
    FAxis->setRange(minimum, maximum);
    FChart->Repaint();
}

void TChartAxis::SetMinMax(double minimum, double maximum)
{
    if (!std::isfinite(minimum) || !std::isfinite(maximum))
        return;
    if (minimum > maximum)
        std::swap(minimum, maximum);
    if (minimum == maximum) {
        minimum -= 1;
        maximum += 1;
    }
    FHomeMin = minimum;
    FHomeMax = maximum;
    ShowRange(minimum, maximum);
}

void TChartAxis::SetIncrement(double increment)
{
    FIncrement = increment;
    FChart->Repaint();
}

void TChartAxis::SetValueFormat(const QString& format)
{
    FValueFormat = format;
    FChart->Repaint();
}

void TChartAxis::SetMinorTickCount(int count)
{
    FMinorTickCount = std::max(0, count);
    FChart->Repaint();
}

double TChartAxis::FirstPixel() const
{
    const QRect r = FChart->ChartRect();
    return FVertical ? r.bottom() : r.left();
}

double TChartAxis::LastPixel() const
{
    const QRect r = FChart->ChartRect();
    return FVertical ? r.top() : r.right();
}

double TChartAxis::PixelScale() const
{
    return (LastPixel() - FirstPixel()) / (Maximum() - Minimum());
}

double TChartAxis::PixelOffset() const
{
    return FirstPixel() - Minimum() * PixelScale();
}

double TChartAxis::CalcPosPoint(int pixel) const
{
    const double span = LastPixel() - FirstPixel();
    if (span == 0)
        return Minimum();
    return Minimum() + (pixel - FirstPixel()) / span * (Maximum() - Minimum());
}

int TChartAxis::CalcPosValue(double value) const
{
    return PixelToInt(FirstPixel() + (value - Minimum()) * PixelScale());
}

double TChartAxis::CalcSizeValue(double range) const
{
    return range * std::abs(PixelScale());
}

// ---------------------------------------------------------------- canvas

void TChartCanvas::ApplyPen(const QColor& c, bool invert)
{
    if (invert) {
        // XOR with white flips every colour channel and keeps alpha.
        FPainter->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        FPainter->setPen(QPen(Qt::white, 1));
    } else {
        FPainter->setCompositionMode(QPainter::CompositionMode_SourceOver);
        FPainter->setPen(QPen(c, 1));
    }
}

void TChartCanvas::LineTo(int x, int y)
{
    const QPoint to(x, y);
    if (FPainter) {
        ApplyPen(FPenColor, FInvert);
        FPainter->drawLine(QLineF(FPos, to));
    }
    FPos = to;
}

void TChartCanvas::DrawCross(int x, int y, int halfWidth, int halfHeight, const QColor& c)
{
    if (!FPainter)
        return;
    ApplyPen(c, false);
    FPainter->drawLine(QLineF(x - halfWidth, y, x + halfWidth, y));
    FPainter->drawLine(QLineF(x, y - halfHeight, x, y + halfHeight));
}

void TChartCanvas::InvertRect(const QRect& r)
{
    if (!FPainter)
        return;
    FPainter->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    FPainter->fillRect(r, Qt::white);
    FPainter->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// ---------------------------------------------------------------- chart

TChart::TChart(QWidget* parent)
    : QWidget(parent), FPlot(new TChartPlot(this)), FFrameTimer(new QTimer(this))
{
    FClock.start();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(FPlot);

    FPlot->setInteractions({});
    FPlot->legend->setVisible(false);
    FPlot->setBackground(OuterBackground);
    FPlot->axisRect()->setBackground(PlotBackground);
    FPlot->xAxis2->setVisible(false);
    FPlot->yAxis->setVisible(false);
    FPlot->xAxis->setVisible(true);
    FPlot->yAxis2->setVisible(true);
    StyleAxis(FPlot->xAxis);
    StyleAxis(FPlot->yAxis2);
    // The bottom labels sit half a label lower, clear of the right axis's
    // lowest label, which is centred on the bottom edge of the plot.
    FPlot->xAxis->setTickLabelPadding(FPlot->xAxis->tickLabelPadding() +
                                      QFontMetrics(FPlot->yAxis2->tickLabelFont()).height() / 2);
    FPlot->yAxis->grid()->setVisible(false);
    FPlot->yAxis2->grid()->setVisible(true);
    FPlot->setMouseTracking(true);
    FPlot->installEventFilter(this);

    FPlot->addLayer(QStringLiteral("live"), FPlot->layer(QStringLiteral("main")), QCustomPlot::limAbove);
    FLiveLayer = FPlot->layer(QStringLiteral("live"));
    // The plot's own top layer (selection rectangle) is unused: no buffer of its own.
    FPlot->layer(QStringLiteral("overlay"))->setMode(QCPLayer::lmLogical);
    FPlot->addLayer(QStringLiteral("afterdraw"), FPlot->layer(QStringLiteral("legend")), QCustomPlot::limAbove);
    new TChartOverlay(*this, FPlot);   // owned by the plot
    connect(FPlot, &QCustomPlot::afterReplot, this, &TChart::PostDraw, Qt::QueuedConnection);
    connect(FPlot, &QCustomPlot::beforeReplot, this, &TChart::FitMargins);

    FBottom.reset(new TChartAxis(this, FPlot->xAxis, false));
    FRight.reset(new TChartAxis(this, FPlot->yAxis2, true));
    // The axes as both windows design them; owners set the bottom axis per spectrum.
    FBottom->SetMinMax(-50, 50);
    FBottom->SetIncrement(25);
    FBottom->SetValueFormat(QStringLiteral("# ##0.### [Gs]"));
    FRight->SetMinMax(-500, 500);
    FRight->SetIncrement(250);
    FRight->SetValueFormat(QStringLiteral("# ##0.###"));

    FFrameTimer->setSingleShot(true);
    FFrameTimer->setTimerType(Qt::PreciseTimer);
    connect(FFrameTimer, &QTimer::timeout, this, &TChart::DrawDirty);
}

TChart::~TChart()
{
    // The plot's plottables refer to the series: they go first.
    delete FPlot;
}

TChartSeries& TChart::AddSeries()
{
    FSeries.push_back(std::unique_ptr<TChartSeries>(new TChartSeries(this)));
    TChartSeries& series = *FSeries.back();
    series.FPlottable = new TChartLinePlottable(series, FPlot->xAxis, FPlot->yAxis2);
    Repaint();
    return series;
}

QRect TChart::ChartRect() const
{
    return FPlot->axisRect()->rect();
}

void TChart::FitMargins()
{
    // The bottom axis's first label is centred on the left edge of the plot.
    const QFontMetrics metrics(FPlot->xAxis->tickLabelFont());
    const int halfLabel = metrics.horizontalAdvance(FBottom->FormatLabel(FBottom->Minimum())) / 2 + 4;
    FPlot->axisRect()->setMinimumMargins(QMargins(std::max(Margin, halfLabel), Margin, Margin, Margin));
}

void TChart::AlignPlotWith(TChart& other)
{
    auto* group = new QCPMarginGroup(FPlot);   // owned by the plot
    FPlot->axisRect()->setMarginGroup(QCP::msLeft | QCP::msRight, group);
    other.FPlot->axisRect()->setMarginGroup(QCP::msLeft | QCP::msRight, group);
    FAligned.emplace_back(&other);
    other.FAligned.emplace_back(this);
}

void TChart::SetBackgroundColor(const QColor& c)
{
    FPlot->axisRect()->setBackground(c);
    Repaint();
}

void TChart::ZoomRect(const QRect& pixels)
{
    if (pixels.width() <= 0 || pixels.height() <= 0)
        return;
    const double left = FBottom->CalcPosPoint(pixels.left());
    const double right = FBottom->CalcPosPoint(pixels.right());
    const double bottom = FRight->CalcPosPoint(pixels.bottom());
    const double top = FRight->CalcPosPoint(pixels.top());
    if (!(left < right) || !(bottom < top))
        return;
    FBottom->ShowRange(left, right);
    FRight->ShowRange(bottom, top);
    FZoomed = true;
    if (OnZoom)
        OnZoom();
}

void TChart::UndoZoom()
{
    FBottom->ShowRange(FBottom->FHomeMin, FBottom->FHomeMax);
    FRight->ShowRange(FRight->FHomeMin, FRight->FHomeMax);
    FZoomed = false;
    if (OnUndoZoom)
        OnUndoZoom();
}

void TChart::Repaint()
{
    FDirty = true;
    ScheduleDraw(FrameMs);
}

void TChart::RepaintLive(int withinMs)
{
    FLiveDirty = true;
    ScheduleDraw(withinMs);
}

// The next draw comes `withinMs` after the last one, or sooner if already due sooner.
void TChart::ScheduleDraw(int withinMs)
{
    const qint64 since = FClock.elapsed() - FLastDraw;
    const int wait = int(std::clamp<qint64>(withinMs - since, 0, withinMs));
    if (!FFrameTimer->isActive() || FFrameTimer->remainingTime() > wait)
        FFrameTimer->start(wait);
}

void TChart::SetLayeredDrawing(bool on)
{
    if (FLayered == on)
        return;
    FLayered = on;
    ArrangeLayers();
}

void TChart::ArrangeLayers()
{
    // Moving a plottable puts it last on its layer: all go, in series order.
    QCPLayer* main = FPlot->layer(QStringLiteral("main"));
    bool anyLive = false;
    for (const auto& series : FSeries) {
        series->FPlottable->setLayer(series->FLive ? FLiveLayer : main);
        anyLive = anyLive || series->FLive;
    }
    // A logical layer shares the buffer below it: one buffer, drawn whole.
    FLiveLayer->setMode(FLayered && anyLive ? QCPLayer::lmBuffered : QCPLayer::lmLogical);
    Repaint();
}

void TChart::RepaintNow()
{
    Draw(QCustomPlot::rpImmediateRefresh);
}

void TChart::DrawDirty()
{
    // A hidden chart is drawn when it is shown again.
    if (!isVisible())
        return;
    if (FDirty)
        Draw(QCustomPlot::rpQueuedRefresh);
    else if (FLiveDirty)
        DrawLive();
}

void TChart::Draw(int refresh)
{
    FDirty = false;
    FLiveDirty = false;
    for (const auto& series : FSeries)
        series->FChangedFrom = TChartSeries::NoChange;
    FFrameTimer->stop();
    FPlot->replot(QCustomPlot::RefreshPriority(refresh));
    FLastDraw = FClock.elapsed();
    PostDraw();
}

void TChart::DrawLive()
{
    // The whole chart instead while the buffers are not set up.
    if (!static_cast<TChartPlot*>(FPlot)->ReplotLayer(FLiveLayer, LiveChangedRect())) {
        Draw(QCustomPlot::rpQueuedRefresh);
        return;
    }
    FLiveDirty = false;
    FFrameTimer->stop();
    for (const auto& series : FSeries)
        series->FChangedFrom = TChartSeries::NoChange;
    ++FDrawCount;
    FPostDrawPending = true;
    FLastDraw = FClock.elapsed();
    PostDraw();
}

QRect TChart::LiveChangedRect() const
{
    // The columns from the first changed point to the last point, all rows of
    // the plotting rectangle; a pixel more on each side for the line's ends.
    const QRect plot = ChartRect().adjusted(-1, -1, 1, 1);
    QRect changed;
    for (const auto& series : FSeries) {
        const int from = series->FChangedFrom;
        if (!series->FLive || from == TChartSeries::NoChange)
            continue;
        if (from == 0 || from >= series->Count() ||
            series->FPlottable->ReducesPoints() != series->FPlottable->ReducedPoints())
            return plot;
        const int left = series->CalcXPos(from), right = series->CalcXPos(series->Count() - 1);
        changed |= QRect(QPoint(std::min(left, right) - 1, plot.top()), QPoint(std::max(left, right) + 1, plot.bottom()));
    }
    return changed & plot;
}

void TChart::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Repaint();
}

void TChart::AfterDraw(QCPPainter* painter)
{
    ++FDrawCount;
    FPostDrawPending = true;
    if (!OnAfterDraw)
        return;
    const TAfterDrawHandler handler = OnAfterDraw;   // the handler may replace itself
    painter->save();
    painter->setAntialiasing(false);
    FCanvas.FPainter = painter;
    FCanvas.FInvert = false;
    KeepError(FDrawError, [&] { handler(FCanvas); });
    FCanvas.FPainter = nullptr;
    painter->restore();
}

void TChart::PostDraw()
{
    if (!FPostDrawPending)
        return;
    FPostDrawPending = false;
    if (!FDrawError.isEmpty()) {
        const QString error = std::exchange(FDrawError, QString());
        ReportUnhandledError(error);
    }
    if (ChartRect() != FDrawnRect) {
        FDrawnRect = ChartRect();
        for (TChart* chart : FAligned)
            if (chart)
                chart->Repaint();
        if (OnLayout)
            RunGuarded(OnLayout);
    }
    for (const auto& series : FSeries)
        if (series->Visible() && series->OnAfterDraw) {
            const auto hook = series->OnAfterDraw;
            RunGuarded(hook);
        }
}

void TChart::MouseEvent(const TMouseHandler& handler, const TChartMouse& mouse)
{
    if (!handler)
        return;
    const TMouseHandler call = handler;   // the handler may replace itself
    RunGuarded([&] { call(mouse); });
}

bool TChart::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != FPlot)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        break;
    default:
        return QWidget::eventFilter(watched, event);
    }
    const auto* mouseEvent = static_cast<QMouseEvent*>(event);
    const QPoint pos = mouseEvent->position().toPoint();
    FCursorPos = pos;
    const TChartMouse mouse{mouseEvent->button(), pos.x(), pos.y(), event->type() == QEvent::MouseButtonDblClick};
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        FPressed = true;
        MouseEvent(OnMouseDown, mouse);
        break;
    case QEvent::MouseMove:
        MouseEvent(OnMouseMove, mouse);
        break;
    default:   // release: a left click ends here, then the mouse-up
        if (FPressed && mouse.Button == Qt::LeftButton && FPlot->rect().contains(pos) && OnClick) {
            const auto click = OnClick;
            RunGuarded(click);
        }
        if (mouseEvent->buttons() == Qt::NoButton)
            FPressed = false;
        MouseEvent(OnMouseUp, mouse);
        break;
    }
    return true;
}
