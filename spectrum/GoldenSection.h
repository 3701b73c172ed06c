#pragma once
// The minimum of a function of one variable with a single minimum in
// [low, high], by golden-section search: each step narrows the interval by
// 0.618 at the cost of one evaluation.

#include <cmath>

template <class TFunction> double GoldenSectionMinimum(const TFunction& f, double low, double high, int steps)
{
    const double r = (std::sqrt(5.0) - 1) / 2;
    double a = high - r * (high - low), b = low + r * (high - low);
    double fa = f(a), fb = f(b);
    for (int k = 0; k < steps; ++k) {
        if (fa < fb) {
            high = b;
            b = a;
            fb = fa;
            a = high - r * (high - low);
            fa = f(a);
        } else {
            low = a;
            a = b;
            fa = fb;
            b = low + r * (high - low);
            fb = f(b);
        }
    }
    return 0.5 * (low + high);
}
