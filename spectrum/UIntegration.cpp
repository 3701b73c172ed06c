#include "UIntegration.h"

#include <algorithm>

void TIntegrator::Init(TLineView source, std::span<const double> baseline, double axisMinimum,
                       double axisMaximum, bool autoScale)
{
    Source = source;
    Baseline = baseline;
    AxisMinimum = axisMinimum;
    AxisMaximum = axisMaximum;
    AutoScale = autoScale;
    Scale = 1.0L;
}

double TIntegrator::CorrectedY(int i) const
{
    if (Baseline.empty())
        return Source.YValue(i);
    return double((long double)Source.YValue(i) - Baseline[size_t(i)]);
}

double TIntegrator::TrapezoidStep(int i) const
{
    const long double mean = ((long double)CorrectedY(i) + CorrectedY(i - 1)) * 0.5L;
    return double(mean * ((long double)Source.XValue(i) - Source.XValue(i - 1)) * Factor);
}

void TIntegrator::Run(int first, int last)
{
    const long double x0 = Source.XValue(0);
    const long double dX = (long double)Source.XValue(1) - Source.XValue(0);
    first = std::max(first, Source.First);
    last = std::min(last, Source.Last);
    DestX.clear();
    DestY.clear();

    // The measuring pass starts from the y value at first, so it needs a point there.
    if (AutoScale && first >= 0 && first < Source.Count()) {
        Sum = 0.0L;
        long double max = CorrectedY(first);
        long double min = max;
        for (int i = first + 1; i <= last; ++i) {
            Sum += TrapezoidStep(i);
            max = std::max<long double>(max, Sum);
            min = std::min<long double>(min, Sum);
        }
        // Absolute scales that would put the extreme exactly on the axis bound.
        const long double top = (Scale * max > AxisMaximum && max > 0) ? AxisMaximum / max : 1.0L;
        const long double bottom = (Scale * min < AxisMinimum && min < 0) ? AxisMinimum / min : 1.0L;
        const long double a = std::min(top, bottom);
        if (a > 0 && a < 1)
            Scale = 0.8L * a;  // leaves a fifth of the axis free
    }

    const int points = std::max(last - first + 1, 1);
    DestX.reserve(size_t(points));
    DestY.reserve(size_t(points));
    Sum = 0.0L;
    DestX.push_back(double(x0 + first * dX));
    DestY.push_back(0.0);
    for (int i = first + 1; i <= last; ++i) {
        Sum += TrapezoidStep(i);
        DestX.push_back(double(x0 + i * dX));
        DestY.push_back(double(Sum * Scale));
    }
}
