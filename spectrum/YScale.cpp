#include "YScale.h"

#include <algorithm>
#include <cmath>

namespace {

double LargestMagnitude(std::span<const double> y)
{
    double high = 0;
    for (const double v : y)
        high = std::max(high, std::abs(v));
    return high;
}

} // namespace

int TYScale::Decimals() const
{
    return std::max(0, int(std::ceil(-std::log10(Unit()) - 1e-9)));
}

TYScale ImportedYScale(std::span<const double> y, double quantum)
{
    TYScale scale{1, false, quantum};
    const double high = LargestMagnitude(y);
    if (!(high > 0))
        return scale;
    const double decade = std::pow(10.0, std::floor(std::log10(high)));
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (m * decade >= high) {
            scale.Limit = m * decade;
            break;
        }
    return scale;
}

double FloatQuantum(std::span<const double> y, int mantissaBits)
{
    return std::ldexp(LargestMagnitude(y), -mantissaBits);
}
