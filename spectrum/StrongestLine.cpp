#include "StrongestLine.h"

#include <algorithm>
#include <cmath>

TLineLobes StrongestLine(std::span<const double> y, double threshold)
{
    TLineLobes lobes;
    if (y.empty())
        return lobes;
    const auto peak = std::max_element(y.begin(), y.end(), [](double a, double b) { return std::abs(a) < std::abs(b); });
    lobes.Peak = int(peak - y.begin());
    const double sign = *peak < 0 ? -1 : 1;
    const double h = std::max(threshold, 0.05 * std::abs(*peak));
    if (!(h > 0))
        return lobes;
    // Walking away from the peak: past its own lobe, through the opposite
    // lobe (below -h in the peak's sign) until y is back above +h.
    double best = 0;
    for (const int direction : {-1, 1}) {
        bool opposite = false;
        for (int i = lobes.Peak + direction; i >= 0 && i < int(y.size()); i += direction) {
            const double v = sign * y[size_t(i)];
            if (v < -h)
                opposite = true;
            else if (opposite && v > h)
                break;
            if (opposite && -v > best) {
                best = -v;
                lobes.Partner = i;
            }
        }
    }
    return lobes;
}
