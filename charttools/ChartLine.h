#pragma once
// The QCustomPlot plottable that draws one TChartSeries: a polyline with a
// colour per point (the segment ending at a point takes that point's colour).
// When far more points are in view than the plot has pixel columns, each
// column is reduced to its first, lowest, highest and last point, which draws
// the same picture at a fraction of the cost.

#include <qcustomplot.h>

#include <span>
#include <vector>

class TChartSeries;

// For points with pixel columns px[i] and values y[i] (px rising), the
// indexes to connect so that the polyline looks the same: per pixel column
// the first, lowest, highest and last point, in index order, each once.
void ColumnExtremes(std::span<const double> px, std::span<const double> y, std::vector<int>& picks);

class TChartLinePlottable : public QCPAbstractPlottable {
    Q_OBJECT
public:
    TChartLinePlottable(const TChartSeries& series, QCPAxis* keyAxis, QCPAxis* valueAxis);

    double selectTest(const QPointF&, bool, QVariant*) const override { return -1; }
    QCPRange getKeyRange(bool& foundRange, QCP::SignDomain) const override;
    QCPRange getValueRange(bool& foundRange, QCP::SignDomain, const QCPRange&) const override;

protected:
    void draw(QCPPainter* painter) override;
    void drawLegendIcon(QCPPainter*, const QRectF&) const override {}

private:
    const TChartSeries& FSeries;
    // Reused between draws: pixel columns of the points in view, points to connect.
    std::vector<double> FPx;
    std::vector<int> FPicks;
};
