#include "LineShape.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

using std::numbers::pi;

namespace {
// Points per modulation cycle of the trapezoid rule; the integrand is periodic
// and smooth, so the error falls off exponentially with this count.
constexpr int CyclePoints = 64;

struct TCycleTable {
    std::array<double, CyclePoints / 2 + 1> Cos{};
    std::array<double, CyclePoints / 2 + 1> Weight{};
    TCycleTable()
    {
        // cos phi is symmetric about phi = pi: half a cycle with doubled inner weights.
        for (int j = 0; j <= CyclePoints / 2; ++j) {
            Cos[j] = std::cos(2 * pi * j / CyclePoints);
            Weight[j] = (j == 0 || j == CyclePoints / 2 ? 1.0 : 2.0) * 2.0 / CyclePoints;
        }
    }
};
const TCycleTable Cycle;
} // namespace

TComplex TLineShape::FirstHarmonic(double d, double modAmp) const
{
    TComplex sum = 0;
    for (size_t j = 0; j < Cycle.Cos.size(); ++j)
        sum += Cycle.Weight[j] * Cycle.Cos[j] * Profile(d + modAmp * Cycle.Cos[j]);
    return sum;
}

TComplex TLorentzLine::Profile(double d) const
{
    return 1.0 / (pi * TComplex(d, -FHwhm));
}

TComplex TLorentzLine::FirstHarmonic(double d, double modAmp) const
{
    if (modAmp <= 0)
        return 0;
    // (1/pi) * (2/a) * (1 - z / sqrt(z^2 - a^2)) with z = d - i*hwhm; the product
    // of the two principal roots is the branch that tends to z far from the line.
    const TComplex z(d, -FHwhm);
    const TComplex root = std::sqrt(z - modAmp) * std::sqrt(z + modAmp);
    return 2.0 / (pi * modAmp) * (1.0 - z / root);
}

TComplex TGaussLine::Profile(double d) const
{
    const double u = d / (FSigma * std::numbers::sqrt2);
    const double absorption = std::exp(-u * u) / (FSigma * std::sqrt(2 * pi));
    const double dispersion = std::numbers::sqrt2 / (pi * FSigma) * Dawson(u);
    return {dispersion, absorption};
}

TComplex TGaussLine::Derivative(double d) const
{
    const double u = d / (FSigma * std::numbers::sqrt2);
    const double absorption = -d / (FSigma * FSigma) * std::exp(-u * u) / (FSigma * std::sqrt(2 * pi));
    const double dispersion = (1 - 2 * u * Dawson(u)) / (pi * FSigma * FSigma);
    return {dispersion, absorption};
}

TPakeLine::TPakeLine(double alpha, double sigma)
    : FSecondMoment(0.8 * alpha * alpha + sigma * sigma), FStep(0.02), FHalfSpan(2 * alpha + 20 * sigma + 20)
{
    const int n = int(std::ceil(FHalfSpan / FStep));
    FHalfSpan = n * FStep;
    const int size = 2 * n + 1;

    // Stick spectrum on the grid: a line at alpha*u with u = 3c^2 - 1 and c = cos theta
    // uniform in 0..1, so the fraction of lines below u is sqrt((u + 1) / 3).
    const auto below = [alpha](double d) { return std::sqrt((std::clamp(d / alpha, -1.0, 2.0) + 1) / 3); };
    const auto massAt = [&](double d) { return below(d + FStep / 2) - below(d - FStep / 2); };
    std::vector<std::pair<int, double>> sticks;
    for (int j = 0; j < size; ++j) {
        const double d = (j - n) * FStep;
        const double weight = 0.5 * (massAt(d) + massAt(-d)); // the pair's two lines
        if (weight > 0)
            sticks.emplace_back(j, weight);
    }

    // Broaden: convolve the sticks with the Gaussian, sampled at grid offsets.
    const TGaussLine gauss(sigma);
    std::vector<TComplex> gaussValue(2 * size - 1), gaussSlope(2 * size - 1);
    for (int k = 0; k < 2 * size - 1; ++k) {
        const double d = (k - (size - 1)) * FStep;
        gaussValue[k] = gauss.Profile(d);
        gaussSlope[k] = gauss.Derivative(d);
    }
    FValue.assign(size, 0);
    FSlope.assign(size, 0);
    for (int i = 0; i < size; ++i)
        for (const auto& [j, weight] : sticks) {
            FValue[i] += weight * gaussValue[i - j + size - 1];
            FSlope[i] += weight * gaussSlope[i - j + size - 1];
        }
}

TComplex TPakeLine::Profile(double d) const
{
    const double t = (d + FHalfSpan) / FStep;
    const int i = int(std::floor(t));
    if (i < 0 || i + 1 >= int(FValue.size())) {
        // Far from the line: no absorption; the dispersion's asymptotic series.
        return {(1 / d + FSecondMoment / (d * d * d)) / pi, 0};
    }
    const double s = t - i, s2 = s * s, s3 = s2 * s;
    return (2 * s3 - 3 * s2 + 1) * FValue[i] + (s3 - 2 * s2 + s) * FStep * FSlope[i]
        + (3 * s2 - 2 * s3) * FValue[i + 1] + (s3 - s2) * FStep * FSlope[i + 1];
}

double Dawson(double x)
{
    // Rybicki's method: a sum of Gaussians on a grid of step h around the nearest
    // even multiple of h; relative error about 2e-7.
    constexpr double h = 0.4;
    constexpr int terms = 6;
    static const auto weights = [] {
        std::array<double, terms> w{};
        for (int i = 0; i < terms; ++i)
            w[i] = std::exp(-((2 * i + 1) * h) * ((2 * i + 1) * h));
        return w;
    }();
    const double ax = std::abs(x);
    if (ax < 0.2) {
        const double x2 = x * x;
        return x * (1 - 2.0 / 3.0 * x2 * (1 - 0.4 * x2 * (1 - 2.0 / 7.0 * x2)));
    }
    const double n0 = 2 * std::round(0.5 * ax / h);
    const double xp = ax - n0 * h;
    double e1 = std::exp(2 * xp * h);
    const double e2 = e1 * e1;
    double d1 = n0 + 1, d2 = n0 - 1, sum = 0;
    for (int i = 0; i < terms; ++i) {
        sum += weights[i] * (e1 / d1 + 1 / (d2 * e1));
        d1 += 2;
        d2 -= 2;
        e1 *= e2;
    }
    return std::copysign(std::exp(-xp * xp) * sum / std::sqrt(pi), x);
}
