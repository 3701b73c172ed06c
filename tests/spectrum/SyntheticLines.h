#pragma once
// Resonance lines with known answers, sampled on a regular x grid centred on 0.

#include "LineView.h"

#include <cmath>
#include <functional>
#include <vector>

struct TSyntheticLine {
    std::vector<double> X, Y;
    TLineView View() const { return TLineView(X, Y); }
    double Step() const { return X[1] - X[0]; }
};

// count points from -range/2 to +range/2, y = f(x).
inline TSyntheticLine SampleLine(int count, double range, const std::function<double(double)>& f)
{
    TSyntheticLine line;
    for (int i = 0; i < count; ++i) {
        const double x = -range / 2 + i * range / (count - 1);
        line.X.push_back(x);
        line.Y.push_back(f(x));
    }
    return line;
}

// First derivative of a Gaussian of standard deviation sigma, highest point
// `height` (the maximum comes first, at x = -sigma).
inline std::function<double(double)> GaussianDerivative(double sigma, double height)
{
    return [=](double x) { return -height * (x / sigma) * std::exp(0.5 - x * x / (2 * sigma * sigma)); };
}

// Lorentzian absorption of half width gamma at half height, top `height`, and
// its first derivative scaled to the same top.
inline std::function<double(double)> Lorentzian(double gamma, double height)
{
    return [=](double x) { return height * gamma * gamma / (x * x + gamma * gamma); };
}
inline std::function<double(double)> LorentzianDerivative(double gamma, double height)
{
    // -2 x g^2 / (x^2 + g^2)^2 reaches 3 sqrt(3) / (8 g) at x = -g / sqrt(3).
    const double peak = 3 * std::sqrt(3.0) / (8 * gamma);
    return [=](double x) {
        const double d = x * x + gamma * gamma;
        return height * (-2 * x * gamma * gamma / (d * d)) / peak;
    };
}
