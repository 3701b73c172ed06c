#pragma once
// The QCustomPlot plottable that draws one TChartSeries: a polyline with a
// colour per point (the segment ending at a point takes that point's colour).
// When far more points are in view than the plot has pixel columns, each
// column is reduced to its first, lowest, highest and last point, which draws
// the same picture at a fraction of the cost.

#include <qcustomplot.h>

#include <span>
#include <utility>
#include <vector>

class TChartSeries;

// For points (x[i], y[i]) with x rising, drawn at pixel column a * x + b:
// the indexes to connect so that the polyline looks the same, that is per
// pixel column the first, lowest, highest and last point, in index order,
// each once.
void ColumnExtremes(std::span<const double> x, std::span<const double> y, double a, double b,
                    std::vector<int>& picks);

class TChartLinePlottable : public QCPAbstractPlottable {
    Q_OBJECT
public:
    TChartLinePlottable(const TChartSeries& series, QCPAxis* keyAxis, QCPAxis* valueAxis);

    double selectTest(const QPointF&, bool, QVariant*) const override { return -1; }
    QCPRange getKeyRange(bool& foundRange, QCP::SignDomain) const override;
    QCPRange getValueRange(bool& foundRange, QCP::SignDomain, const QCPRange&) const override;
    // Draws as the plot draws a layer's content: clipped to the axis rectangle.
    void DrawClipped(QCPPainter* painter);
    // Whether a draw now would reduce the points to column extremes, and
    // whether the last draw did: the whole line looks different when they differ.
    bool ReducesPoints() const;
    bool ReducedPoints() const { return FReduced; }

protected:
    void draw(QCPPainter* painter) override;
    void drawLegendIcon(QCPPainter*, const QRectF&) const override {}

private:
    std::pair<int, int> InView() const;   // indexes lo .. hi - 1 to draw
    bool Reduces(int lo, int hi) const;

    const TChartSeries& FSeries;
    bool FReduced = false;
    // The points to connect, kept while the series and its pixel mapping
    // stay the same (passes that are not being measured).
    struct TPicksKey {
        quint64 Version = ~0ull;
        int Lo = 0, Hi = 0;
        double A = 0, B = 0;
        bool operator==(const TPicksKey&) const = default;
    };
    TPicksKey FPicksKey;
    std::vector<int> FPicks;
};
