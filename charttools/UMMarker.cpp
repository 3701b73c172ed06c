#include "UMMarker.h"

#include "NumFormat.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <utility>

TMarker Marker1;
TMarker Marker2;

namespace {
// Colours of the marker ($00BBGGRR values of the original palette).
const QColor PenColour(128, 0, 0);       // $000080, maroon
// The marker line: a bright core between two dark edges, plainly visible on
// the chart's background and over every pass colour and the average.
const QColor CrossColour(0, 255, 255);   // cyan core
const QColor CrossEdgeColour(0, 0, 0);
const QColor LineColour(255, 0, 0);      // $0000FF, red
const QChar Bullet(0x2022);
constexpr int VerticalKind = 0, HorizontalKind = 1;

// A cross whose long line is drawn with dark edges on both sides.
void DrawMarkerCross(TChartCanvas& canvas, int x, int y, int halfWidth, int halfHeight)
{
    const bool vertical = halfHeight > halfWidth;
    for (int side : {-1, 1})
        canvas.DrawCross(vertical ? x + side : x, vertical ? y : y + side, halfWidth, halfHeight, CrossEdgeColour);
    canvas.DrawCross(x, y, halfWidth, halfHeight, CrossColour);
}

int32_t ToInt32(long long v)
{
    return int32_t(std::clamp<long long>(v, std::numeric_limits<int32_t>::min(),
                                         std::numeric_limits<int32_t>::max()));
}
} // namespace

template <class Arg>
std::function<void(Arg)> TMarker::Handler(void (TMarker::*member)(Arg))
{
    return [this, member, alive = std::weak_ptr<char>(FAlive)](Arg arg) {
        if (!alive.expired())
            (this->*member)(arg);
    };
}

void TMarker::Init(TChart* chart, int32_t pointTotal, uint8_t mode, int seriesNumber,
                   int32_t crossHalfHeight, int32_t crossHalfWidth, QLabel* caption,
                   uint8_t lineMode, const QString& unitText, QChar axisLetter)
{
    Chart = chart;
    PointTotal = pointTotal;
    CrossHalfHeight = crossHalfHeight;
    CrossHalfWidth = crossHalfWidth;
    Caption = caption;
    LineMode = lineMode;
    SeriesIndex = uint8_t(seriesNumber - 1);
    UnitText = unitText.left(4);
    AxisLetter = axisLetter;
    Active = true;
    Dragging = false;
    PositionCount = 0;
    EditedSlot = 0;
    PixelsPerPoint = 0;
    Baseline = nullptr;
    LowLimit = std::numeric_limits<int32_t>::min();
    HighLimit = std::numeric_limits<int32_t>::max();
    if (Chart) {
        Chart->Canvas().SetPenColor(PenColour);
        Chart->OnMouseUp = Handler(&TMarker::MouseUp);
    }
    SelectKind(mode);
}

void TMarker::Done()
{
    Active = false;
    Dragging = false;
    if (Chart) {
        Chart->OnMouseDown = nullptr;
        Chart->OnMouseMove = nullptr;
        Chart->OnMouseUp = nullptr;
    }
    Baseline = nullptr;
}

void TMarker::SelectKind(uint8_t mode)
{
    if (!Chart)
        return;
    if (mode == VerticalKind || mode == HorizontalKind)
        Kind = mode;
    if (mode == VerticalKind) {
        Chart->OnMouseDown = Handler(&TMarker::VertMouseDown);
        Chart->OnMouseMove = Handler(&TMarker::VertMouseMove);
        Chart->OnAfterDraw = Handler(&TMarker::VertAfterDraw);
    } else if (mode == HorizontalKind) {
        Chart->OnMouseDown = Handler(&TMarker::HorzMouseDown);
        Chart->OnMouseMove = Handler(&TMarker::HorzMouseMove);
        Chart->OnAfterDraw = Handler(&TMarker::HorzAfterDraw);
    }
    Refresh();
}

void TMarker::Refresh()
{
    if (Chart)
        Chart->Repaint();
}

void TMarker::HideLines()
{
    PositionCount = 0;
    Refresh();
}

void TMarker::Centre()
{
    const TChartSeries* series = Followed();
    if (!series)
        return;
    const int first = series->FirstValueIndex();
    const int last = series->LastValueIndex();
    SetIndex(first + (last - first) / 2);
}

void TMarker::SetIndex(int32_t i)
{
    Index = i;
    Refresh();
}

void TMarker::MoveTo(int32_t i)
{
    Index = std::max(LowLimit, std::min(i, HighLimit));
    if (Index != i && OnStopped)
        OnStopped(i > HighLimit);
    Refresh();
}

int32_t TMarker::GetIndex() const
{
    const TChartSeries* series = Followed();
    if (!series)
        return Index;
    int first = series->FirstValueIndex();
    int last = series->LastValueIndex();
    if (last < 0) {
        if (series->Count() == 0)
            return -1;
        first = 0;
        last = series->Count() - 1;
    }
    return std::clamp(Index, first, last);
}

double TMarker::Readout(int i) const
{
    const TChartSeries* series = Followed();
    if (!series)
        throw std::out_of_range("the marker follows no series");
    const double y = series->YValue(i);
    return Baseline ? y - Baseline->YValue(i) : y;
}

TChartSeries* TMarker::Followed() const
{
    if (!Chart || SeriesIndex >= Chart->SeriesCount())
        return nullptr;
    return &Chart->Series(SeriesIndex);
}

void TMarker::VertAfterDraw(TChartCanvas& canvas)
{
    TChartSeries* series = Followed();
    if (!Active || !series)
        return;
    if (PixelsPerPoint == 0) {
        // First paint after Init (or after the owner's reset): measure the scale.
        if (series->LastValueIndex() > 0 && PointTotal >= 1 && PointTotal <= series->Count())
            PixelsPerPoint = series->CalcXSizeValue(series->XValue(PointTotal - 1) - series->XValue(0)) /
                             PointTotal;
        CrossY = Chart->ChartYCenter();
        if (PixelsPerPoint == 0)
            return;
        const int first = series->FirstValueIndex();
        const int last = series->LastValueIndex();
        if (Index < first || Index > last)
            Index = first + (last - first) / 2;
    }
    const int first = series->FirstValueIndex();
    const int last = series->LastValueIndex();
    if (last < 0)
        return;
    Index = std::clamp(Index, first, last);

    DrawMarkerCross(canvas, series->CalcXPos(Index), CrossY, 1, CrossHalfHeight);
    if (Caption)
        Caption->setText(QStringLiteral(" ") + AxisLetter + QStringLiteral(": ") +
                         FloatToStrFNumber(series->XValue(Index), 9, 2) + QStringLiteral(" ") + UnitText +
                         QStringLiteral(" ") + Bullet + QStringLiteral(" A: ") +
                         (ReadoutDecimals == 0 ? QString::number(RoundHalfEven(Readout(Index)))
                                              : QString::number(Readout(Index), 'f', ReadoutDecimals)) +
                         QStringLiteral(" a.u."));
    if (LineMode == 1 && PositionCount > 0) {
        const QRect plot = Chart->ChartRect();
        canvas.SetPenColor(LineColour);
        for (int k = 1; k <= PositionCount; ++k) {
            if (Positions[k] >= series->Count())
                continue;   // a position beyond the series has no column
            const int x = series->CalcXPos(Positions[k]);
            canvas.MoveTo(x, plot.top());
            canvas.LineTo(x, plot.bottom());
        }
        canvas.SetPenColor(PenColour);
    }
}

bool TMarker::KeyPress(int key, Qt::KeyboardModifiers modifiers)
{
    if (!Active || !Chart)
        return false;
    const int step = modifiers & Qt::ShiftModifier ? 10 : 1;
    if (Kind == HorizontalKind) {
        const QRect plot = Chart->ChartRect();
        switch (key) {
        case Qt::Key_Up: Level -= step; break;
        case Qt::Key_Down: Level += step; break;
        case Qt::Key_Home: Level = plot.top(); break;
        case Qt::Key_End: Level = plot.bottom(); break;
        default: return false;
        }
        Refresh();   // the next paint keeps the line inside the axis
        return true;
    }
    const TChartSeries* series = Followed();
    if (!series)
        return false;
    const int first = series->FirstValueIndex(), last = series->LastValueIndex();
    if (last < first || first < 0)
        return false;
    int i = GetIndex();
    switch (key) {
    case Qt::Key_Left: i -= step; break;
    case Qt::Key_Right: i += step; break;
    case Qt::Key_Home: i = first; break;
    case Qt::Key_End: i = last; break;
    default: return false;
    }
    MoveTo(std::clamp(i, first, last));
    return true;
}

int TMarker::LineAt(int x) const
{
    const TChartSeries* series = Followed();
    if (LineMode != 1 || !series || !Chart)
        return 0;
    // As wide as the marker's own grip, and never less than a few pixels.
    const double tolerance = std::max(Chart->ChartWidth() * 0.01 * 0.5, 3.0);
    int found = 0;
    double nearest = tolerance;
    for (int k = 1; k <= PositionCount; ++k) {
        if (Positions[k] >= series->Count())
            continue;
        const double d = std::abs(series->CalcXPos(Positions[k]) - x);
        if (d <= nearest) {
            found = k;
            nearest = d;
        }
    }
    return found;
}

int32_t TMarker::IndexAtColumn(int x) const
{
    const TChartSeries* series = Followed();
    const int first = series->FirstValueIndex();
    return ToInt32(RoundHalfEven((x - series->CalcXPos(first)) / PixelsPerPoint) + first);
}

int32_t TMarker::NearestDrawnIndex(int x) const
{
    const TChartSeries* series = Followed();
    const int first = series->FirstValueIndex(), last = series->LastValueIndex();
    const double value = Chart->BottomAxis().CalcPosPoint(x);
    const auto xs = series->XValues().subspan(size_t(first), size_t(last - first + 1));
    const int after = int(std::lower_bound(xs.begin(), xs.end(), value) - xs.begin());
    if (after == 0)
        return first;
    if (after == int(xs.size()))
        return last;
    return first + (value - xs[size_t(after - 1)] <= xs[size_t(after)] - value ? after - 1 : after);
}

void TMarker::VertMouseDown(const TChartMouse& mouse)
{
    const TChartSeries* series = Followed();
    if (!Active || mouse.Button != Qt::LeftButton || PixelsPerPoint == 0 || !series ||
        series->LastValueIndex() < 0)
        return;
    if (mouse.DoubleClick) {
        MoveTo(NearestDrawnIndex(mouse.X));
        return;
    }
    const int markerX = series->CalcXPos(GetIndex());
    if (std::abs(mouse.X - markerX) <= Chart->ChartWidth() * 0.01 * 0.5) {
        Dragging = true;
        return;
    }
    if (OnGrabLine) {
        const int line = LineAt(mouse.X);
        if (line > 0 && OnGrabLine(line)) {
            Dragging = FLineGrabbed = true;
            return;
        }
    }
    MoveTo(Index + (mouse.X > markerX ? 1 : -1));
}

void TMarker::VertMouseMove(const TChartMouse& mouse)
{
    if (!Dragging)
        return;
    const TChartSeries* series = Followed();
    if (PixelsPerPoint > 0 && series && series->FirstValueIndex() >= 0)
        MoveTo(IndexAtColumn(mouse.X));
    else
        Refresh();
}

void TMarker::HorzAfterDraw(TChartCanvas& canvas)
{
    if (!Active || !Chart)
        return;
    const TChartAxis& axis = Chart->RightAxis();
    const double value = axis.CalcPosPoint(Level);
    if (value > axis.Maximum())
        Level = axis.CalcPosValue(axis.Maximum());
    else if (value < axis.Minimum())
        Level = axis.CalcPosValue(axis.Minimum());
    DrawMarkerCross(canvas, Chart->ChartXCenter(), Level, CrossHalfWidth, 1);
    if (Caption)
        Caption->setText(QStringLiteral(" A: ") + QString::number(RoundHalfEven(axis.CalcPosPoint(Level))) +
                         QStringLiteral(" a.u."));
}

void TMarker::HorzMouseDown(const TChartMouse& mouse)
{
    if (!Active || mouse.Button != Qt::LeftButton || !Chart)
        return;
    const int d = mouse.Y - Level;
    if (std::abs(d) <= Chart->ChartWidth() * 0.01 * 0.5) {
        Dragging = true;
        return;
    }
    Level += d > 0 ? 1 : -1;
    Refresh();
}

void TMarker::HorzMouseMove(const TChartMouse& mouse)
{
    if (!Dragging)
        return;
    Level = mouse.Y;
    Refresh();
}

void TMarker::MouseUp(const TChartMouse& mouse)
{
    if (mouse.Button != Qt::LeftButton)
        return;
    Dragging = false;
    if (std::exchange(FLineGrabbed, false) && OnReleaseLine)
        OnReleaseLine();
}
