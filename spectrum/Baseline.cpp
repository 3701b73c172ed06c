#include "Baseline.h"

#include "NumFormat.h"

#include <algorithm>
#include <cmath>

int BaselineEndCount(int count)
{
    return int(RoundHalfEven((long double)count * 10 * 0.01L));
}

TBaseline ComputeBaseline(std::span<const double> y)
{
    const int count = int(y.size());
    const int n = BaselineEndCount(count);
    long double left = 0, right = 0;
    for (int i = 0; i <= n; ++i) {
        left += y[size_t(i)];
        right += y[size_t(count - 1 - i)];
    }
    left /= n + 1;
    right /= n + 1;
    TBaseline b;
    b.Slope = (right - left) / count;
    b.Offset = left;
    return b;
}

void StepBaseline(TBaseline& baseline, TBaselineStep step, double yUnit)
{
    const long double unit = yUnit;
    switch (step) {
    case TBaselineStep::Down: baseline.Offset -= unit; break;
    case TBaselineStep::Up: baseline.Offset += unit; break;
    case TBaselineStep::Left: baseline.Slope -= 0.002L * unit; break;
    case TBaselineStep::Right: baseline.Slope += 0.002L * unit; break;
    }
}

std::vector<double> BaselineValues(const TBaseline& baseline, int count)
{
    std::vector<double> values(static_cast<size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
        values[size_t(i)] = baseline.At(i);
    return values;
}
