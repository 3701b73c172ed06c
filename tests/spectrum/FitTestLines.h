#pragma once
// Modulated derivative lines computed the plain way, for checking the fit:
// the lock-in's first harmonic as the cycle average of the absorption swept
// through d + a cos(phi), times cos(phi), with many phase samples. Nothing
// here uses the fit's own shape code.

#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

using TAbsorption = std::function<double(double)>;

inline TAbsorption GaussAbsorptionOf(double sigma)
{
    return [=](double d) { return std::exp(-d * d / (2 * sigma * sigma)) / (sigma * std::sqrt(2 * std::numbers::pi)); };
}

// Isolated proton pairs in a powder: lines at +-alpha (3 cos^2 theta - 1),
// each a Gaussian of sigma, averaged over `crystallites` values of cos theta.
// The average is taken once on nodes a fortieth of sigma apart and read
// back by cubic interpolation (within 1e-7 of the line): a brute-force
// average at every point a test asks for costs hundreds of millions of
// exponentials.
inline TAbsorption PowderAbsorption(double alpha, double sigma, int crystallites)
{
    const double step = sigma / 40, reach = 2 * std::abs(alpha) + 14 * sigma;
    const int half = int(std::ceil(reach / step)) + 2;
    auto nodes = std::make_shared<std::vector<double>>(size_t(2 * half + 1));
    for (int j = -half; j <= half; ++j) {
        double sum = 0;
        for (int k = 0; k < crystallites; ++k) {
            const double c = (k + 0.5) / crystallites, u = alpha * (3 * c * c - 1);
            sum += GaussAbsorptionOf(sigma)(j * step - u) + GaussAbsorptionOf(sigma)(j * step + u);
        }
        (*nodes)[size_t(j + half)] = sum / (2 * crystallites);
    }
    return [=](double d) {
        const double t = d / step + half;
        const int j = int(std::floor(t));
        if (j < 1 || j + 2 > 2 * half)
            return 0.0;
        const double f = t - j;
        const double* v = &(*nodes)[size_t(j - 1)];
        return -f * (f - 1) * (f - 2) / 6 * v[0] + (f + 1) * (f - 1) * (f - 2) / 2 * v[1] -
               (f + 1) * f * (f - 2) / 2 * v[2] + (f + 1) * f * (f - 1) / 6 * v[3];
    };
}

inline TAbsorption LorentzAbsorptionOf(double hwhm)
{
    return [=](double d) { return hwhm / (std::numbers::pi * (hwhm * hwhm + d * d)); };
}

// First harmonic over a (the derivative for a -> 0; double integral 1).
// Without modulation: a central difference of the absorption.
inline double FirstHarmonic(const TAbsorption& absorption, double d, double a, int phases = 2000)
{
    if (a == 0) {
        const double h = 1e-5;
        return (absorption(d + h) - absorption(d - h)) / (2 * h);
    }
    double sum = 0;
    for (int k = 0; k < phases; ++k) {
        const double phi = 2 * std::numbers::pi * (k + 0.5) / phases;
        sum += absorption(d + a * std::cos(phi)) * std::cos(phi);
    }
    return 2 * sum / phases / a;
}

// A hyperfine group as a test writes it: its lines' relative intensities,
// spaced by its coupling.
struct TSplitting {
    std::vector<double> Weights;
    double Coupling = 0;
};

// The lines of all groups together (every combination) about `centre`,
// area `area`, at x.
inline std::vector<double> SplitCurve(const std::vector<double>& x, const TAbsorption& absorption, double a,
                                      double centre, const std::vector<TSplitting>& groups, double area)
{
    std::vector<std::pair<double, double>> lines{{centre, 1.0}};
    for (const TSplitting& g : groups) {
        double total = 0;
        for (const double w : g.Weights)
            total += w;
        std::vector<std::pair<double, double>> next;
        for (const auto& [at, weight] : lines)
            for (size_t k = 0; k < g.Weights.size(); ++k)
                next.push_back({at + (double(k) - 0.5 * double(g.Weights.size() - 1)) * g.Coupling, weight * g.Weights[k] / total});
        lines = std::move(next);
    }
    std::vector<double> y(x.size(), 0.0);
    for (const auto& [at, weight] : lines)
        for (size_t i = 0; i < x.size(); ++i)
            y[i] += area * weight * FirstHarmonic(absorption, x[i] - at, a, 400);
    return y;
}

// `weights` lines spaced by `coupling` about `centre`, area `area`, at x.
inline std::vector<double> MultipletCurve(const std::vector<double>& x, const TAbsorption& absorption, double a,
                                          double centre, double coupling, const std::vector<double>& weights,
                                          double area)
{
    return SplitCurve(x, absorption, a, centre, {{weights, coupling}}, area);
}

inline std::vector<double> Grid(int count, double range)
{
    std::vector<double> x;
    for (int i = 0; i < count; ++i)
        x.push_back(-range / 2 + i * range / (count - 1));
    return x;
}

// Gaussian noise of rms `rms`; with timeConstant > 0 (points) passed through a
// first-order low-pass, as a lock-in leaves it, and scaled back to `rms`.
inline std::vector<double> Noise(std::mt19937& random, size_t count, double rms, double timeConstant)
{
    std::normal_distribution<double> normal;
    std::vector<double> n(count);
    const double keep = timeConstant > 0 ? std::exp(-1 / timeConstant) : 0;
    const double gain = std::sqrt((1 + keep) / (1 - keep));  // white rms over filtered rms
    double state = normal(random) / gain;
    for (double& v : n) {
        state = keep * state + (1 - keep) * normal(random);
        v = rms * gain * state;
    }
    return n;
}

// y with white noise of `rms` added, from the given seed.
inline std::vector<double> WithNoise(std::vector<double> y, unsigned seed, double rms)
{
    std::mt19937 random(seed);
    const std::vector<double> noise = Noise(random, y.size(), rms, 0);
    for (size_t i = 0; i < y.size(); ++i)
        y[i] += noise[i];
    return y;
}
