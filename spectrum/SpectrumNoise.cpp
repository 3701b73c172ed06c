#include "SpectrumNoise.h"

#include "Baseline.h"
#include "GoldenSection.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// Values stored in steps of `quantum` (whole counts in a .dcw file): their
// rounding alone is noise of quantum/sqrt(12), the least such a spectrum has.
// Values of unknown step get the least positive noise, so no ratio to it
// divides by 0.
double RoundingNoise(double quantum)
{
    return quantum > 0 ? quantum / std::sqrt(12.0) : std::numeric_limits<double>::min();
}

// Polynomial trends taken out of a wing: constant, line and parabola over it
// (fewer on very short wings).
int TrendTerms(size_t count)
{
    return count >= 8 ? 3 : count >= 2 ? 1 : 0;
}

// The restricted log-likelihood of a first-order process of lag-1
// correlation rho under the wings, each less its own polynomial trend
// (REML: the trend's coefficients integrated out, so that what they take of
// the noise is allowed for): with the points prewhitened, z_0 = y_0
// sqrt(1 - rho^2) and z_i = y_i - rho y_(i-1) (likewise the trend's columns),
// the innovations are white. Also gives the innovations' variance.
struct TLikelihood {
    double Squares = 0;      // of the prewhitened points less their trends
    double LogDet = 0;       // of the trends' prewhitened X^T X, summed over the wings
    double Freedom = 0;      // points less trend terms
    double Wings = 0;
    double Rho = 0;
    bool Ok = false;
    // With the innovations' variance at its best, S / freedom.
    double Profile() const
    {
        return Ok ? -0.5 * Freedom * std::log(Squares) + 0.5 * Wings * std::log(1 - Rho * Rho) - 0.5 * LogDet : -INFINITY;
    }
    // With the innovations' variance given.
    double At(double innovationVariance) const
    {
        return Ok ? -0.5 * Freedom * std::log(innovationVariance) - 0.5 * Squares / innovationVariance +
                        0.5 * Wings * std::log(1 - Rho * Rho) - 0.5 * LogDet
                  : -INFINITY;
    }
    double InnovationVariance() const { return Squares / Freedom; }
};

TLikelihood WingLikelihood(const std::vector<std::vector<double>>& wings, double rho)
{
    const auto whiten = [rho](const std::vector<double>& v) {
        std::vector<double> z(v.size());
        for (size_t i = 0; i < v.size(); ++i)
            z[i] = i == 0 ? v[0] * std::sqrt(1 - rho * rho) : v[i] - rho * v[i - 1];
        return z;
    };
    double squares = 0, logDet = 0, points = 0, terms = 0;
    for (const std::vector<double>& wing : wings) {
        const size_t m = wing.size();
        std::vector<double> z = whiten(wing);
        // Gram-Schmidt on the prewhitened trend columns: what is left of z
        // after them, and det(X^T X) as the product of their squared norms.
        std::vector<std::vector<double>> basis;
        std::vector<double> power(m, 1.0);
        for (int j = 0; j < TrendTerms(m); ++j) {
            std::vector<double> q = whiten(power);
            for (size_t i = 0; i < m; ++i)
                power[i] *= m > 1 ? 2.0 * double(i) / double(m - 1) - 1 : 0.0;
            for (const std::vector<double>& p : basis) {
                double dot = 0;
                for (size_t i = 0; i < m; ++i)
                    dot += p[i] * q[i];
                for (size_t i = 0; i < m; ++i)
                    q[i] -= dot * p[i];
            }
            double norm = 0;
            for (const double v : q)
                norm += v * v;
            if (!(norm > 0))
                return {};
            logDet += std::log(norm);
            for (double& v : q)
                v /= std::sqrt(norm);
            double dot = 0;
            for (size_t i = 0; i < m; ++i)
                dot += q[i] * z[i];
            for (size_t i = 0; i < m; ++i)
                z[i] -= dot * q[i];
            basis.push_back(std::move(q));
        }
        for (const double v : z)
            squares += v * v;
        points += double(m);
        terms += double(basis.size());
    }
    const double freedom = points - terms;
    if (!(freedom > 0) || !(squares > 0))
        return {};
    return {squares, logDet, freedom, double(wings.size()), rho, true};
}

// The wings of the spectrum after the baseline: the n + 1 points at each end.
std::vector<std::vector<double>> Wings(std::span<const double> y, std::span<const double> baseline)
{
    const int count = int(std::min(y.size(), baseline.size()));
    const int n = BaselineEndCount(count);
    std::vector<std::vector<double>> wings;
    for (const int start : {0, count - 1 - n}) {
        std::vector<double> points;
        for (int i = start; i <= start + n; ++i)
            points.push_back(y[size_t(i)] - baseline[size_t(i)]);
        wings.push_back(std::move(points));
    }
    return wings;
}

} // namespace

std::vector<std::vector<double>> PolynomialBasis(std::span<const double> t, int terms)
{
    std::vector<std::vector<double>> basis;
    for (int j = 0; j < terms; ++j) {
        std::vector<double> q(t.size());
        for (size_t i = 0; i < t.size(); ++i)
            q[i] = std::pow(t[i], double(j));
        // Gram-Schmidt against the earlier columns, twice for rounding.
        for (int pass = 0; pass < 2; ++pass)
            for (const std::vector<double>& p : basis) {
                double dot = 0;
                for (size_t i = 0; i < t.size(); ++i)
                    dot += p[i] * q[i];
                for (size_t i = 0; i < t.size(); ++i)
                    q[i] -= dot * p[i];
            }
        double norm = 0;
        for (const double v : q)
            norm += v * v;
        if (!(norm > 0))
            break;
        for (double& v : q)
            v /= std::sqrt(norm);
        basis.push_back(std::move(q));
    }
    return basis;
}

void ApplyNoiseCorrelation(double rho, std::span<double> v)
{
    if (rho == 0 || v.empty())
        return;
    std::vector<double> forward(v.size());
    double f = 0;
    for (size_t i = 0; i < v.size(); ++i)
        forward[i] = f = v[i] + rho * f;
    double b = 0;
    for (size_t i = v.size(); i-- > 0;) {
        b = v[i] + rho * b;
        v[i] = forward[i] + b - v[i];
    }
}

TSpectrumNoise MeasureNoise(std::span<const double> y, std::span<const double> baseline, double quantum)
{
    const int count = int(std::min(y.size(), baseline.size()));
    if (count < 2)
        return {RoundingNoise(quantum), 0};
    const int n = BaselineEndCount(count);
    const std::vector<std::vector<double>> wings = Wings(y, baseline);
    // The correlation of the largest likelihood, by golden section (the
    // likelihood has one peak). A correlation longer than a quarter of a
    // wing cannot be told from a trend there: rho is held below 1 - 4/m,
    // which keeps a few unlucky wings from reading the noise many times too
    // large.
    const auto likelihood = [&](double rho) { return WingLikelihood(wings, rho).Profile(); };
    const double high = std::clamp(1 - 4.0 / double(n + 1), 0.0, MaxNoiseCorrelation);
    const double rho = GoldenSectionMinimum([&](double r) { return -likelihood(r); }, 0.0, high, 30);
    TSpectrumNoise noise;
    noise.Correlation = likelihood(0) >= likelihood(rho) ? 0.0 : rho;
    const TLikelihood best = WingLikelihood(wings, noise.Correlation);
    const double variance = best.InnovationVariance() / (1 - noise.Correlation * noise.Correlation);
    noise.Rms = std::max(std::isfinite(variance) ? std::sqrt(variance) : 0.0, RoundingNoise(quantum));
    return noise;
}

double NoiseMismatch(std::span<const double> y, std::span<const double> baseline, const TSpectrumNoise& noise)
{
    if (std::min(y.size(), baseline.size()) < 2)
        return 0;
    const std::vector<std::vector<double>> wings = Wings(y, baseline);
    const TSpectrumNoise best = MeasureNoise(y, baseline);
    const TLikelihood fitted = WingLikelihood(wings, best.Correlation);
    const double rho = std::clamp(noise.Correlation, 0.0, MaxNoiseCorrelation);
    const TLikelihood given = WingLikelihood(wings, rho);
    if (!fitted.Ok || !given.Ok)
        return 0;
    return std::max(2 * (fitted.At(fitted.InnovationVariance()) - given.At(noise.Rms * noise.Rms * (1 - rho * rho))), 0.0);
}
