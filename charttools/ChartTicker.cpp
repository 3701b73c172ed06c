#include "ChartTicker.h"

#include "Chart.h"

#include <QFontMetrics>
#include <cmath>

namespace {
constexpr int MaxTicks = 1000;         // safety bound for absurd increments
constexpr int LabelGap = 12;           // pixels between two labels at least
}

double TChartTicker::LabelStep(const QCPRange& range)
{
    double step = FAxis.Increment();
    if (!(step > 0) || !std::isfinite(step))
        step = getTickStep(range);      // the ticker's own readable step
    const double span = range.size();
    double count = std::floor(span / step + 1e-9) + 1;

    const QFontMetrics metrics(FPlotAxis.tickLabelFont());
    const bool vertical = FPlotAxis.orientation() == Qt::Vertical;
    const double length = vertical ? FPlotAxis.axisRect()->height() : FPlotAxis.axisRect()->width();
    const double labelSize = vertical
        ? metrics.height() * 1.5
        : std::max(metrics.horizontalAdvance(FAxis.FormatLabel(range.lower)),
                   metrics.horizontalAdvance(FAxis.FormatLabel(range.upper))) + LabelGap;
    const double fit = std::max(2.0, std::floor(length / labelSize));
    if (count > fit)
        step *= std::ceil((count - 1) / (fit - 1));
    count = std::floor(span / step + 1e-9) + 1;
    if (count > MaxTicks)
        step = span / (MaxTicks - 1);
    return step;
}

void TChartTicker::generate(const QCPRange& range, const QLocale&, QChar, int,
                            QVector<double>& ticks, QVector<double>* subTicks,
                            QVector<QString>* tickLabels)
{
    ticks.clear();
    if (subTicks)
        subTicks->clear();
    if (tickLabels)
        tickLabels->clear();
    if (!(range.size() > 0))
        return;

    const double step = LabelStep(range);
    // A set Increment counts from the minimum; the axis's own readable step
    // falls on its round multiples.
    const double start = FAxis.Increment() > 0 ? range.lower : std::ceil(range.lower / step - 1e-9) * step;
    const int count = int(std::floor((range.upper - start) / step + 1e-9)) + 1;
    for (int k = 0; k < count; ++k) {
        double value = start + k * step;
        if (std::abs(value) < step * 1e-9)
            value = 0;                  // no "-0" from rounding
        ticks.append(value);
    }
    if (subTicks) {
        const int minor = FAxis.MinorTickCount();
        for (int k = 0; k < count; ++k)
            for (int j = 1; j <= minor; ++j) {
                const double value = ticks[k] + j * step / (minor + 1);
                if (value <= range.upper)
                    subTicks->append(value);
            }
    }
    if (tickLabels)
        for (const double tick : ticks)
            tickLabels->append(FAxis.FormatLabel(tick));
}
