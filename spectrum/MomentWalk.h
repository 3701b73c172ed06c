#pragma once
// The walk over one half of a line that the moments and their uncertainties
// share: Start, Start +- 1, ..., End, the k-th visited point (k = 1 at Start)
// weighted by MomentWeight(k, power).

#include "UM2.h"

#include <cstdlib>

// Calls visit(k, i) for every point of the half, k counting from 1 at Start.
template <class Visit>
void WalkHalf(int start, int end, Visit visit)
{
    const int step = end - start > 0 ? 1 : -1;
    const long long n = std::llabs((long long)end - start) + 1;
    for (long long k = 1, i = start; k <= n; ++k, i += step)
        visit(k, int(i));
}

template <class Sum>
struct TMomentSums {
    Sum Numerator = 0;    // sum k^numeratorPower y
    Sum Denominator = 0;  // sum k^denominatorPower y
};

// The two weighted sums over the half, accumulated in Sum; yAt(i) gives the
// y value of point i.
template <class Sum, class YAt>
TMomentSums<Sum> MomentSums(int start, int end, int numeratorPower, int denominatorPower, YAt yAt)
{
    TMomentSums<Sum> sums;
    WalkHalf(start, end, [&](long long k, int i) {
        const Sum y = yAt(i);
        sums.Numerator += Sum(MomentWeight(k, numeratorPower)) * y;
        sums.Denominator += Sum(MomentWeight(k, denominatorPower)) * y;
    });
    return sums;
}
