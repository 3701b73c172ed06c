#include "MomentUncertainty.h"

#include "Baseline.h"
#include "MomentWalk.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Adds to `gradient` (indexed like the view) the derivative of
// factor * sum(w_k v) / sum(u_k v) over the half from start to end, times `share`.
void AddHalfGradient(std::vector<long double>& gradient, std::span<const double> v, int start, int end,
                     int numeratorPower, int denominatorPower, long double factor, long double share)
{
    const auto sums = MomentSums<long double>(start, end, numeratorPower, denominatorPower,
                                              [&](int i) { return v[size_t(i)]; });
    const long double numerator = sums.Numerator, denominator = sums.Denominator;
    if (denominator == 0)
        return;
    const long double scale = share * factor / (denominator * denominator);
    WalkHalf(start, end, [&](long long k, int i) {
        gradient[size_t(i)] += scale * (MomentWeight(k, numeratorPower) * denominator -
                                        numerator * MomentWeight(k, denominatorPower));
    });
}

} // namespace

double PropagatedNoise(std::vector<long double> g, const TLineView& spectrum, TViewKind kind, int factor,
                       const TSpectrumNoise& noise)
{
    const int count = spectrum.Count();
    if (kind == TViewKind::Absorption) {
        // A_i = factor * dX * (d_0 / 2 + d_1 + ... + d_(i-1) + d_i / 2), A_0 = 0.
        const long double scale = (long double)factor * spectrum.XStep();
        long double later = 0;  // sum of g over indexes after j
        std::vector<long double> d(static_cast<size_t>(count));
        for (int j = count - 1; j >= 0; --j) {
            d[size_t(j)] = scale * (j == 0 ? later / 2 : g[size_t(j)] / 2 + later);
            later += g[size_t(j)];
        }
        g = std::move(d);
    }
    // The baseline: AL over points 0..n, AR over count-1-n..count-1; its
    // value at i is AL (1 - i/count) + AR i/count.
    const int n = BaselineEndCount(count);
    long double towardLeft = 0, towardRight = 0;
    for (int i = 0; i < count; ++i) {
        towardLeft += g[size_t(i)] * (1 - (long double)i / count);
        towardRight += g[size_t(i)] * ((long double)i / count);
    }
    for (int i = 0; i <= n; ++i) {
        g[size_t(i)] -= towardLeft / (n + 1);
        g[size_t(count - 1 - i)] -= towardRight / (n + 1);
    }
    // g^T R g for the noise's correlation R.
    std::vector<double> correlated(g.begin(), g.end());
    ApplyNoiseCorrelation(noise.Correlation, correlated);
    long double squares = 0;
    for (size_t i = 0; i < g.size(); ++i)
        squares += g[i] * correlated[i];
    return double(noise.Rms * std::sqrt(std::max(squares, 0.0L)));
}

TMomentUncertainty MomentUncertainty(const TLineView& spectrum, std::span<const double> view, TViewKind kind,
                                     int factor, int left, int centre, int right, const TSpectrumNoise& noise)
{
    const long double dX = spectrum.XStep();
    const long double dX2 = dX * dX;
    const bool derivative = kind == TViewKind::Derivative;
    const int m2Powers[2] = {derivative ? 3 : 2, derivative ? 1 : 0};
    const int m4Powers[2] = {derivative ? 5 : 4, derivative ? 1 : 0};
    const long double m2Factor = derivative ? dX2 / 3 : dX2;
    const long double m4Factor = derivative ? dX2 * dX2 * 0.2L : dX2 * dX2;

    std::vector<long double> m2(size_t(spectrum.Count())), m4(size_t(spectrum.Count()));
    for (const int edge : {left, right}) {
        AddHalfGradient(m2, view, centre, edge, m2Powers[0], m2Powers[1], m2Factor, 0.5L);
        AddHalfGradient(m4, view, centre, edge, m4Powers[0], m4Powers[1], m4Factor, 0.5L);
    }
    return {PropagatedNoise(std::move(m2), spectrum, kind, factor, noise),
            PropagatedNoise(std::move(m4), spectrum, kind, factor, noise)};
}
