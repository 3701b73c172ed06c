#pragma once
// The chart adapter: exactly the chart and series operations the windows and
// chart tools use, over QCustomPlot.
//
// A chart has a bottom axis (x) and a right axis (the data axis, y). Series
// are line series drawn against those two axes; every point carries its own
// colour. Repaints are coalesced: changing data or asking for a repaint marks
// the chart dirty, and it is drawn at most once per display frame.
//
// Tools (markers, zoom selection) take over the chart's mouse and after-draw
// events by replacing the handlers below and give them back by restoring the
// saved ones.

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class QCustomPlot;
class QCPAxis;
class QCPPainter;
class TChart;
class TChartLinePlottable;

// One line series: points (x, y, colour), shown or hidden.
class TChartSeries {
public:
    int Count() const { return int(FX.size()); }
    double XValue(int i) const { return FX[size_t(i)]; }
    double YValue(int i) const { return FY[size_t(i)]; }
    QColor ValueColor(int i) const { return QColor::fromRgba(FColor[size_t(i)]); }
    void SetXValue(int i, double x);
    void SetYValue(int i, double y);
    void SetValueColor(int i, const QColor& c);
    void SetAllColors(const QColor& c);            // every point of the series
    void AddXY(double x, double y, const QColor& c);
    void Clear();
    void Reserve(int n);

    bool Visible() const { return FVisible; }
    void SetVisible(bool on);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }

    // Indexes of the first and last point inside the bottom axis range, as
    // drawn now; -1 for both when no point is drawn. x is expected to rise with
    // the index (every series of this program does).
    int FirstValueIndex() const;
    int LastValueIndex() const;

    int CalcXPos(int index) const;      // pixel column of point index
    int CalcYPos(int index) const;      // pixel row of point index
    // Pixel width of an x-value range on the bottom axis.
    double CalcXSizeValue(double range) const;

    void Repaint();                     // marks the chart dirty
    TChart& Chart() const { return *FChart; }

private:
    friend class TChart;
    friend class TChartLinePlottable;
    TChartSeries(TChart* chart, TChartLinePlottable* plottable);
    void Changed();

    TChart* FChart;
    TChartLinePlottable* FPlottable;
    std::vector<double> FX, FY;
    std::vector<QRgb> FColor;
    bool FUniformColor = true;   // every point has FColor[0]: draws in one pass
    bool FVisible = true;
};

// An axis with manual limits, an increment between labelled ticks and a value
// format in the program's FormatFloat style ("# ##0.### [Gs]").
class TChartAxis {
public:
    double Minimum() const;
    double Maximum() const;
    double Increment() const { return FIncrement; }
    QString ValueFormat() const { return FValueFormat; }
    void SetMinMax(double minimum, double maximum);   // the unzoomed range
    void SetIncrement(double increment);
    void SetValueFormat(const QString& format);
    void SetMinorTickCount(int count);

    double CalcPosPoint(int pixel) const;   // value at a pixel (column or row)
    int CalcPosValue(double value) const;   // pixel of a value
    double CalcSizeValue(double range) const; // pixels spanned by a value range

private:
    friend class TChart;
    TChartAxis(TChart* chart, QCPAxis* axis);
    void ApplyTicker();
    TChart* FChart;
    QCPAxis* FAxis;
    double FIncrement = 0;
    QString FValueFormat;
};

struct TChartMouse {
    Qt::MouseButton Button = Qt::NoButton;
    int X = 0, Y = 0;                         // pixel position in the chart
};

// What a tool draws on after the chart has been drawn.
class TChartCanvas {
public:
    explicit TChartCanvas(QCPPainter* painter) : FPainter(painter) {}
    void SetPenColor(const QColor& c);
    QColor PenColor() const { return FPenColor; }
    // Pixels under the pen are inverted instead of painted (zoom band).
    void SetPenInvert(bool on);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    // A cross of the given half sizes centred on (x, y), as a series' pointer draws it.
    void DrawCross(int x, int y, int halfWidth, int halfHeight, const QColor& c);
    void InvertRect(const QRect& r);

private:
    QCPPainter* FPainter;
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
    TChartSeries& Series(int i) { return *FSeries[size_t(i)]; }
    int SeriesCount() const { return int(FSeries.size()); }

    TChartAxis& BottomAxis() { return *FBottom; }
    TChartAxis& RightAxis() { return *FRight; }
    const TChartAxis& BottomAxis() const { return *FBottom; }
    const TChartAxis& RightAxis() const { return *FRight; }

    QRect ChartRect() const;            // the plotting rectangle, in chart pixels
    int ChartXCenter() const { return ChartRect().center().x(); }
    int ChartYCenter() const { return ChartRect().center().y(); }
    int ChartWidth() const { return ChartRect().width(); }

    void SetBackgroundColor(const QColor& c);

    // Zoom: show the x and y ranges of a pixel rectangle; undo returns to the
    // ranges set by SetMinMax. OnZoom runs after a zoom.
    void ZoomRect(const QRect& pixels);
    void UndoZoom();
    bool Zoomed() const { return FZoomed; }

    void Repaint();                 // coalesced: drawn at most once per frame
    void RepaintNow();              // draws at once (tests, screenshots)
    int DrawCount() const { return FDrawCount; }  // number of draws so far
    QPoint CursorPos() const;       // mouse position in chart pixels

    TMouseHandler OnMouseDown, OnMouseMove, OnMouseUp;
    TAfterDrawHandler OnAfterDraw;
    std::function<void()> OnClick;  // any click on the chart
    std::function<void()> OnZoom;

    QCustomPlot* Plot() const { return FPlot; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class TChartSeries;
    friend class TChartAxis;
    friend class TChartOverlay;
    void AfterDraw(QCPPainter* painter);
    void DrawDirty();

    QCustomPlot* FPlot;
    std::vector<std::unique_ptr<TChartSeries>> FSeries;
    std::unique_ptr<TChartAxis> FBottom, FRight;
    class QTimer* FFrameTimer;
    bool FDirty = false;
    bool FZoomed = false;
    int FDrawCount = 0;
    qint64 FLastDraw = 0;
};
