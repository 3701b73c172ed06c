#pragma once
// The noise of a spectrum's single points, measured once and used by every
// measurement that needs it: the moments' uncertainties, the measurement
// checks and the line-shape fit. It comes from the wings (the n + 1 points at
// each end that the automatic baseline averages), after the baseline, each
// wing less a quadratic trend so that the tail of a wide line does not count
// as noise. The noise is taken as a first-order process (a lock-in's
// low-pass): rms sigma and lag-1 correlation rho, correlation rho^|i - j|
// between points i and j. Both are corrected for the share of the noise that
// the trends take out, which is large when rho is near 1.

#include <span>
#include <vector>

struct TSpectrumNoise {
    double Rms = 0;          // y units; at least the 1/sqrt(12) steps of the values' rounding
    double Correlation = 0;  // lag-1, 0 to MaxNoiseCorrelation
    // How much the variance of a long sum grows over white noise: (1 + rho) / (1 - rho).
    double Inflation() const { return (1 + Correlation) / (1 - Correlation); }
};

inline constexpr double MaxNoiseCorrelation = 0.999;

// y and baseline over every point of the spectrum, whose values are stored in
// steps of `quantum` (1 count in a .dcw file; 0 when unknown).
TSpectrumNoise MeasureNoise(std::span<const double> y, std::span<const double> baseline, double quantum = 1);

// How far the wings are from noise of the given rms and correlation: twice
// the log-likelihood ratio against the noise measured on them (about
// chi-square of 2 degrees of freedom when they are that noise).
double NoiseMismatch(std::span<const double> y, std::span<const double> baseline, const TSpectrumNoise& noise);

// v := R v for the correlation R_ij = rho^|i - j| of neighbouring indexes, in
// O(n) by a forward and a backward first-order filter.
void ApplyNoiseCorrelation(double rho, std::span<double> v);

// Orthonormal columns spanning 1, t, t^2, ... (`terms` of them) over the
// points t: for taking polynomial trends out of noise.
std::vector<std::vector<double>> PolynomialBasis(std::span<const double> t, int terms);
