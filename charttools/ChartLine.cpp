#include "ChartLine.h"

#include "Chart.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {
// Pixel column of a pixel position, far values kept inside int.
int Column(double px)
{
    px = std::clamp(px, -1e9, 1e9);
    const int c = int(px);
    return c - (px < c);
}
} // namespace

void ColumnExtremes(std::span<const double> x, std::span<const double> y, double a, double b,
                    std::vector<int>& picks)
{
    picks.clear();
    const int n = int(x.size());
    int start = 0;
    while (start < n) {
        const int column = Column(a * x[size_t(start)] + b);
        int end = start + 1;
        int low = start, high = start;
        for (; end < n && Column(a * x[size_t(end)] + b) == column; ++end) {
            if (y[size_t(end)] < y[size_t(low)])
                low = end;
            if (y[size_t(end)] > y[size_t(high)])
                high = end;
        }
        for (const int i : {start, std::min(low, high), std::max(low, high), end - 1})
            if (picks.empty() || picks.back() != i)
                picks.push_back(i);
        start = end;
    }
}

TChartLinePlottable::TChartLinePlottable(const TChartSeries& series, QCPAxis* keyAxis, QCPAxis* valueAxis)
    : QCPAbstractPlottable(keyAxis, valueAxis), FSeries(series)
{
}

QCPRange TChartLinePlottable::getKeyRange(bool& foundRange, QCP::SignDomain) const
{
    foundRange = FSeries.Count() > 0;
    return foundRange ? QCPRange(FSeries.FX.front(), FSeries.FX.back()) : QCPRange();
}

QCPRange TChartLinePlottable::getValueRange(bool& foundRange, QCP::SignDomain, const QCPRange&) const
{
    foundRange = FSeries.Count() > 0;
    if (!foundRange)
        return QCPRange();
    const auto [low, high] = std::minmax_element(FSeries.FY.begin(), FSeries.FY.end());
    return QCPRange(*low, *high);
}

void TChartLinePlottable::DrawClipped(QCPPainter* painter)
{
    painter->save();
    painter->setClipRect(clipRect().translated(0, -1));
    applyDefaultAntialiasingHint(painter);
    draw(painter);
    painter->restore();
}

std::pair<int, int> TChartLinePlottable::InView() const
{
    // The points in view and one neighbour on each side, so that the line
    // runs on to the edges of the plotting rectangle.
    const std::vector<double>& x = FSeries.FX;
    const TChartAxis& bottom = FSeries.Chart().BottomAxis();
    const int n = int(x.size());
    const int lo = std::max(0, int(std::lower_bound(x.begin(), x.end(), bottom.Minimum()) - x.begin()) - 1);
    const int hi = std::min(n, int(std::upper_bound(x.begin(), x.end(), bottom.Maximum()) - x.begin()) + 1);
    return {lo, hi};
}

bool TChartLinePlottable::Reduces(int lo, int hi) const
{
    return hi - lo > 4 * std::max(1, FSeries.Chart().ChartRect().width());
}

bool TChartLinePlottable::ReducesPoints() const
{
    const auto [lo, hi] = InView();
    return Reduces(lo, hi);
}

void TChartLinePlottable::draw(QCPPainter* painter)
{
    const std::vector<double>& x = FSeries.FX;
    const std::vector<double>& y = FSeries.FY;
    const std::vector<QRgb>& colour = FSeries.FColor;
    const TChart& chart = FSeries.Chart();
    const TChartAxis& bottom = chart.BottomAxis();
    const TChartAxis& right = chart.RightAxis();

    const auto [lo, hi] = InView();
    FReduced = Reduces(lo, hi);
    if (hi - lo < 2)
        return;

    const double ax = bottom.PixelScale(), bx = bottom.PixelOffset();
    const double ay = right.PixelScale(), by = right.PixelOffset();
    const auto xSpan = std::span<const double>(x).subspan(size_t(lo), size_t(hi - lo));
    const auto ySpan = std::span<const double>(y).subspan(size_t(lo), size_t(hi - lo));
    const TPicksKey key{FSeries.FVersion, lo, hi, ax, bx};
    if (!(key == FPicksKey)) {
        FPicksKey = key;
        if (FReduced) {
            ColumnExtremes(xSpan, ySpan, ax, bx, FPicks);
        } else {
            FPicks.resize(size_t(hi - lo));
            std::iota(FPicks.begin(), FPicks.end(), 0);
        }
    }

    painter->setAntialiasing(false);
    painter->setBrush(Qt::NoBrush);
    const auto pointAt = [&](int k) {
        const int i = FPicks[size_t(k)];
        return QPointF(std::round(ax * xSpan[size_t(i)] + bx), std::round(ay * ySpan[size_t(i)] + by));
    };
    const auto colourAt = [&](int k) { return colour[size_t(lo + FPicks[size_t(k)])]; };
    const auto drawRun = [&](int from, int to, QRgb rgb) {
        QPolygonF line;
        line.reserve(to - from + 1);
        for (int k = from; k <= to; ++k)
            line.append(pointAt(k));
        painter->setPen(QPen(QColor::fromRgba(rgb), 1));
        painter->drawPolyline(line);
    };

    const int m = int(FPicks.size());
    if (FSeries.FUniformColor) {
        drawRun(0, m - 1, colour.front());
        return;
    }
    // Runs of segments of one colour; a run starts at the point before its first segment.
    int start = 0;
    for (int k = 1; k < m; ++k)
        if (k == m - 1 || colourAt(k + 1) != colourAt(k)) {
            drawRun(start, k, colourAt(k));
            start = k;
        }
}
