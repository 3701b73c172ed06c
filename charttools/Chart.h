#pragma once
// The chart adapter: exactly the chart and series operations the windows and
// chart tools use, over QCustomPlot.
//
// A chart has a bottom axis (x) and a right axis (the data axis, y). Series
// are line series drawn against those two axes; every point carries its own
// colour. Repaints are coalesced: changing data or asking for a repaint marks
// the chart dirty, and it is drawn at most once per display frame.
//
// Series that grow point by point while the rest of the chart stays (the pass
// being measured, the running average) can be made live: they are drawn above
// the other series on a layer with a buffer of its own, and their new points
// redraw that layer alone, at most every LiveFrameMs; only the columns where
// points were added or changed are repainted on the screen. Everything else
// (axes, other series, tools, a resize) redraws the whole chart.
//
// Pixel positions ("chart pixels") are those of the plot widget, which fills
// the chart. An axis maps its minimum and maximum onto the first and last
// pixel of the plotting rectangle.
//
// Tools (markers, zoom selection) take over the chart's mouse and after-draw
// events by replacing the handlers below and give them back by restoring the
// saved ones. An empty handler does nothing. Handlers run guarded: an
// exception that leaves one is reported (ReportUnhandledError) and the chart
// goes on.

#include <QColor>
#include <QElapsedTimer>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>
#include <limits>
#include <memory>
#include <span>
#include <utility>
#include <vector>

class QCustomPlot;
class QCPAxis;
class QCPLayer;
class QCPPainter;
class QTimer;
class TChart;
class TChartLinePlottable;

// One line series: points (x, y, colour), shown or hidden.
// Index access is checked: a bad index throws std::out_of_range.
class TChartSeries {
public:
    int Count() const { return int(FX.size()); }
    double XValue(int i) const { return FX.at(size_t(i)); }
    double YValue(int i) const { return FY.at(size_t(i)); }
    QColor ValueColor(int i) const { return QColor::fromRgba(FColor.at(size_t(i))); }
    void SetXValue(int i, double x);
    void SetYValue(int i, double y);
    void SetValueColor(int i, const QColor& c);
    void SetAllColors(const QColor& c);            // every point of the series
    void AddXY(double x, double y, const QColor& c);
    void Clear();
    void Reserve(int n);
    // All points at once, for routines that work on plain arrays.
    std::span<const double> XValues() const { return FX; }
    std::span<const double> YValues() const { return FY; }
    // Replaces every point by (x[i], y[i]) in one colour; x and y of equal length.
    void SetPoints(std::span<const double> x, std::span<const double> y, const QColor& c);
    // Sets the y value of every point; y has the series' point count.
    void SetYValues(std::span<const double> y);

    bool Visible() const { return FVisible; }
    void SetVisible(bool on);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }

    // Indexes of the first and last point inside the bottom axis range, as
    // drawn now (whether the series is shown or not); -1 for both when no
    // point lies in the range. x is expected to rise with the index (every
    // series of this program does).
    int FirstValueIndex() const;
    int LastValueIndex() const;

    int CalcXPos(int index) const;      // pixel column of point index
    int CalcYPos(int index) const;      // pixel row of point index
    // Pixel width of an x-value range on the bottom axis.
    double CalcXSizeValue(double range) const;

    void Repaint();                     // marks the chart dirty
    TChart& Chart() const { return *FChart; }

    // Live: drawn on the chart's live layer (see above). Off by default.
    // While any series is live, the plotting area lies in buffers apart from
    // the tools' canvas: an inverting pen (zoom band) inverts only the axes.
    void SetLive(bool on);
    bool Live() const { return FLive; }

    // Runs after every draw of the chart in which this series was shown
    // (after the drawing is complete, so it may change other charts).
    std::function<void()> OnAfterDraw;

private:
    friend class TChart;
    friend class TChartLinePlottable;
    explicit TChartSeries(TChart* chart) : FChart(chart) {}
    // Points changed; a live series is redrawn within LiveFrameMs, or within
    // a frame when `atOnce` (a new curve begins).
    void Changed(bool atOnce = false);
    // Points from index `from` on changed (the segment into it too); for the
    // part of the screen to repaint after a live draw.
    void ChangedFrom(int from);
    std::pair<int, int> DrawnRange() const;

    TChart* FChart;
    TChartLinePlottable* FPlottable = nullptr;   // owned by the plot
    std::vector<double> FX, FY;
    std::vector<QRgb> FColor;
    bool FUniformColor = true;   // every point has FColor[0]: draws in one pass
    bool FVisible = true;
    bool FLive = false;
    quint64 FVersion = 0;        // counts changes of the points
    int FChangedFrom = NoChange; // lowest index changed since the last draw
    static constexpr int NoChange = std::numeric_limits<int>::max();
};

// An axis with manual limits, an increment between labelled ticks and a value
// format in the program's FormatFloat style ("# ##0.### [Gs]").
// Ticks start at the minimum and follow every Increment; when they would
// crowd their labels, only every n-th is labelled. Increment 0 lets the axis
// choose a readable step (1, 2, 2.5 or 5 times a power of ten) and puts the
// ticks on its multiples.
class TChartAxis {
public:
    double Minimum() const;             // the range shown now (zoomed or not)
    double Maximum() const;
    double Increment() const { return FIncrement; }
    QString ValueFormat() const { return FValueFormat; }
    int MinorTickCount() const { return FMinorTickCount; }
    // Sets the range shown and the range that UndoZoom returns to. Reversed
    // limits are swapped; equal ones are widened by 1 on each side, so the
    // axis always has a range; limits that are not finite are ignored.
    void SetMinMax(double minimum, double maximum);
    void SetIncrement(double increment);
    void SetValueFormat(const QString& format);
    void SetMinorTickCount(int count);

    QString FormatLabel(double value) const; // a value as a tick label
    double CalcPosPoint(int pixel) const;   // value at a pixel (column or row)
    int CalcPosValue(double value) const;   // pixel of a value
    double CalcSizeValue(double range) const; // pixels spanned by a value range

    // value -> pixel as an affine map a * value + b (for drawing many points).
    double PixelScale() const;
    double PixelOffset() const;

private:
    friend class TChart;
    TChartAxis(TChart* chart, QCPAxis* axis, bool vertical);
    void ApplyTicker();
    void ShowRange(double minimum, double maximum);
    // First and last pixel of the axis in the plotting rectangle.
    double FirstPixel() const;
    double LastPixel() const;

    TChart* FChart;
    QCPAxis* FAxis;
    bool FVertical;
    double FHomeMin = 0, FHomeMax = 1;    // range set by SetMinMax
    double FIncrement = 0;
    int FMinorTickCount = 3;
    QString FValueFormat;
};

struct TChartMouse {
    Qt::MouseButton Button = Qt::NoButton;    // NoButton for moves
    int X = 0, Y = 0;                         // pixel position in the chart
    bool DoubleClick = false;                 // the press of a double click
};

// What a tool draws on after the chart has been drawn. The chart keeps one
// canvas: its pen colour persists between draws, the inverting mode is reset
// at each draw (the chart's own drawing restores the normal pen). Outside a
// draw, drawing calls do nothing.
class TChartCanvas {
public:
    void SetPenColor(const QColor& c) { FPenColor = c; }
    QColor PenColor() const { return FPenColor; }
    // Pixels under the pen are inverted instead of painted (zoom band).
    void SetPenInvert(bool on) { FInvert = on; }
    bool PenInvert() const { return FInvert; }
    void MoveTo(int x, int y) { FPos = QPoint(x, y); }
    void LineTo(int x, int y);          // both end pixels included
    // A cross of the given half sizes centred on (x, y), as a series' pointer draws it.
    void DrawCross(int x, int y, int halfWidth, int halfHeight, const QColor& c);
    void InvertRect(const QRect& r);

private:
    friend class TChart;
    void ApplyPen(const QColor& c, bool invert);
    QCPPainter* FPainter = nullptr;
    QColor FPenColor = Qt::black;
    bool FInvert = false;
    QPoint FPos;
};

using TMouseHandler = std::function<void(const TChartMouse&)>;
using TAfterDrawHandler = std::function<void(TChartCanvas&)>;

class TChart : public QWidget {
    Q_OBJECT
public:
    explicit TChart(QWidget* parent = nullptr);
    ~TChart() override;

    TChartSeries& AddSeries();
    TChartSeries& Series(int i) { return *FSeries.at(size_t(i)); }
    const TChartSeries& Series(int i) const { return *FSeries.at(size_t(i)); }
    int SeriesCount() const { return int(FSeries.size()); }

    TChartAxis& BottomAxis() { return *FBottom; }
    TChartAxis& RightAxis() { return *FRight; }
    const TChartAxis& BottomAxis() const { return *FBottom; }
    const TChartAxis& RightAxis() const { return *FRight; }

    QRect ChartRect() const;            // the plotting rectangle, in chart pixels
    int ChartXCenter() const { return ChartRect().center().x(); }
    int ChartYCenter() const { return ChartRect().center().y(); }
    int ChartWidth() const { return ChartRect().width(); }

    void SetBackgroundColor(const QColor& c);   // of the plotting rectangle
    // Two charts of one width, one above the other, keep their plotting
    // rectangles' left and right edges on the same pixels: each side takes
    // the wider margin of the two, so their x axes line up whatever the
    // labels of their right axes need.
    void AlignPlotWith(TChart& other);
    TChartCanvas& Canvas() { return FCanvas; }

    // Zoom: show the x and y ranges of the pixels of a rectangle (edges
    // included: QRect(QPoint(x1, y1), QPoint(x2, y2)) spans x1..x2 and y1..y2);
    // undo returns to the ranges set by SetMinMax. OnZoom runs after a zoom,
    // OnUndoZoom after every undo. A rectangle with no width or height is
    // ignored.
    void ZoomRect(const QRect& pixels);
    void UndoZoom();
    bool Zoomed() const { return FZoomed; }

    void Repaint();                 // coalesced: drawn at most once per frame
    void RepaintNow();              // draws at once (tests, screenshots)
    int DrawCount() const { return FDrawCount; }  // number of draws so far
    QPoint CursorPos() const { return FCursorPos; } // latest mouse position in chart pixels

    TMouseHandler OnMouseDown, OnMouseMove, OnMouseUp;
    TAfterDrawHandler OnAfterDraw;
    std::function<void()> OnClick;  // a left click on the chart
    // Runs after a draw that gave the plotting rectangle a new place or size,
    // for owners that place widgets over the chart.
    std::function<void()> OnLayout;
    std::function<void()> OnZoom;
    std::function<void()> OnUndoZoom;

    QCustomPlot* Plot() const { return FPlot; }

    static constexpr int FrameMs = 16;   // one display frame
    static constexpr int LiveFrameMs = 40;   // live layer: 25 draws a second, as the eye needs

    // Off: live series stay above the others but every change redraws the
    // whole chart within a frame (for comparing both ways). On by default.
    void SetLayeredDrawing(bool on);
    bool LayeredDrawing() const { return FLayered; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    friend class TChartSeries;
    friend class TChartAxis;
    friend class TChartOverlay;
    void AfterDraw(QCPPainter* painter);
    void PostDraw();
    void FitMargins();
    void DrawDirty();
    void Draw(int refresh);   // a QCustomPlot::RefreshPriority
    void RepaintLive(int withinMs);
    void ScheduleDraw(int withinMs);
    void DrawLive();
    QRect LiveChangedRect() const;   // chart pixels that the live series' changes touch
    void ArrangeLayers();     // series onto the main or the live layer, in series order
    void MouseEvent(const TMouseHandler& handler, const TChartMouse& mouse);

    QCustomPlot* FPlot;
    std::vector<std::unique_ptr<TChartSeries>> FSeries;
    std::unique_ptr<TChartAxis> FBottom, FRight;
    TChartCanvas FCanvas;
    QTimer* FFrameTimer;
    QCPLayer* FLiveLayer;
    bool FLayered = true;
    bool FDirty = false;
    bool FLiveDirty = false;        // only the live layer needs drawing
    bool FZoomed = false;
    QRect FDrawnRect;
    bool FPressed = false;          // a button went down on the chart
    int FDrawCount = 0;
    QElapsedTimer FClock;
    qint64 FLastDraw = -FrameMs;    // FClock time of the last draw, ms
    bool FPostDrawPending = false;  // series after-draw hooks still to run
    QPoint FCursorPos;
    QString FDrawError;             // error of a handler during a draw, reported after it
    std::vector<QPointer<TChart>> FAligned;   // charts drawn again when this one's margins change
};
