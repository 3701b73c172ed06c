#pragma once
// One interactive marker on a chart and its readout in a text control beside
// the chart.
//
// Vertical marker (kind 0): a vertical line on one point of a followed series;
// the readout shows that point's x and its y (less a baseline series, when
// set). Horizontal marker (kind 1): a horizontal line at a pixel row; the
// readout shows the right axis's value there. The left button drags the
// marker, or steps it by one point (vertical) or one pixel (horizontal)
// towards a click beside it. A vertical marker in LineMode 1 also draws its
// stored positions as full-height lines (the processing window's cursors).
//
// A double click moves the vertical marker straight to the point under the
// mouse. With the chart focused, keys move the marker (KeyPress). An owner
// may let the operator drag the stored position lines (OnGrabLine).
//
// The marker takes over the chart's mouse-down, mouse-move, mouse-up and
// after-draw handlers. It owns neither the chart, the series nor the caption;
// a chart or caption that is destroyed is simply no longer used.

#include "Chart.h"

#include <QLabel>
#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>

// The stored point indexes of a marker, slot 1 first. A slot outside
// 1..Slots throws std::out_of_range.
class TMarkerPositions {
public:
    static constexpr int Slots = 1100;
    uint16_t& operator[](int slot) { return FSlots.at(size_t(slot - 1)); }
    uint16_t operator[](int slot) const { return FSlots.at(size_t(slot - 1)); }

private:
    std::array<uint16_t, Slots> FSlots{};
};

struct TMarker {
    bool Active = false;
    bool Dragging = false;             // left button went down on the marker
    QPointer<TChart> Chart;
    int32_t Index = 15;                // point index of the vertical marker
    int32_t PointTotal = 0;            // points of the followed series at Init
    long double PixelsPerPoint = 0;    // 0: measured at the next paint
    int32_t CrossY = 50;               // pixel row of the vertical marker's centre
    int32_t Level = 50;                // pixel row of the horizontal marker
    uint8_t SeriesIndex = 0;           // followed series, 0-based
    TChartSeries* Baseline = nullptr;  // subtracted in the readout
    uint8_t LineMode = 0;              // 1: draw the stored positions
    TMarkerPositions Positions;
    uint8_t PositionCount = 0;         // stored positions drawn, from slot 1
    uint8_t EditedSlot = 0;            // slot the moving marker stands for (owner's)
    QPointer<QLabel> Caption;          // receives the readout; none: no readout
    QString UnitText;                  // at most 4 characters
    QChar AxisLetter;
    int ReadoutDecimals = 0;           // of the readout's y; 0: whole counts. Kept by Init
    int32_t CrossHalfHeight = 0;
    int32_t CrossHalfWidth = 0;
    uint8_t Kind = 0;                  // 0 vertical, 1 horizontal (SelectKind)

    // The left button went down on stored position line `line` (1-based
    // slot, LineMode 1) away from the marker. When the owner answers true,
    // the marker is dragged from there (the owner has put Index on the
    // line); OnReleaseLine runs when that button comes up.
    std::function<bool(int line)> OnGrabLine;
    std::function<void()> OnReleaseLine;
    // The operator's moves (drag, click, double click, keys) keep the
    // vertical marker within LowLimit..HighLimit: an owner's cursor stays
    // between its neighbours. OnStopped runs when a move was held at a limit
    // (`high`: at HighLimit). Init lifts the limits.
    int32_t LowLimit = std::numeric_limits<int32_t>::min();
    int32_t HighLimit = std::numeric_limits<int32_t>::max();
    std::function<void(bool high)> OnStopped;

    TMarker() = default;
    TMarker(const TMarker&) = delete;              // the chart's handlers refer to this one
    TMarker& operator=(const TMarker&) = delete;

    // seriesNumber counts from 1; mode 0 vertical, 1 horizontal.
    void Init(TChart* chart, int32_t pointTotal, uint8_t mode, int seriesNumber,
              int32_t crossHalfHeight, int32_t crossHalfWidth, QLabel* caption,
              uint8_t lineMode, const QString& unitText, QChar axisLetter);
    void Done();
    void SelectKind(uint8_t mode);
    void Refresh();
    void HideLines();
    void Centre();
    void SetIndex(int32_t i);
    // Index clamped into the drawn points. When no point is drawn: Index
    // clamped into the series (-1 for an empty or missing series).
    int32_t GetIndex() const;
    void SetBaseline(TChartSeries* series) { Baseline = series; }
    // y[i] of the followed series, less the baseline's y[i] when one is set.
    double Readout(int i) const;
    // A key on the focused chart: Left/Right step the vertical marker by one
    // drawn point, Home/End take it to the first/last drawn point; Up/Down
    // move the horizontal marker by a pixel, Home/End to the top/bottom of
    // the plot. Shift: ten steps. False (nothing done) for other keys or an
    // inactive marker.
    bool KeyPress(int key, Qt::KeyboardModifiers modifiers);
    // The stored position line (1-based slot) drawn nearest to pixel column
    // x, within a few pixels; 0 when there is none.
    int LineAt(int x) const;

private:
    TChartSeries* Followed() const;
    int32_t IndexAtColumn(int x) const;       // point at a column by the measured scale
    int32_t NearestDrawnIndex(int x) const;   // drawn point whose x lies nearest to a column
    void VertAfterDraw(TChartCanvas& canvas);
    void VertMouseDown(const TChartMouse& mouse);
    void VertMouseMove(const TChartMouse& mouse);
    void HorzAfterDraw(TChartCanvas& canvas);
    void HorzMouseDown(const TChartMouse& mouse);
    void HorzMouseMove(const TChartMouse& mouse);
    void MouseUp(const TChartMouse& mouse);
    // Index := i held within the limits, then a repaint.
    void MoveTo(int32_t i);
    // A chart handler that calls a member of this marker while it exists.
    template <class Arg>
    std::function<void(Arg)> Handler(void (TMarker::*member)(Arg));

    std::shared_ptr<char> FAlive = std::make_shared<char>();
    bool FLineGrabbed = false;
};

extern TMarker Marker1;   // the acquisition chart's marker
extern TMarker Marker2;   // the processing window's source chart marker
