#pragma once
// The covariance of the fit's parameters under correlated noise, internal to
// the fit. The noise is a first-order process of lag-1 correlation rho
// (correlation rho^|i - j| between points i and j); for a Jacobian J (n x p,
// column-major, rows of points left out 0) and noise of unit variance the
// parameters scatter as (J^T J)^-1 J^T R J (J^T J)^-1, and the fit takes up
// trace((J^T J)^-1 J^T R J) of the noise's variance (p for white noise).

#include <span>
#include <vector>

struct TUnitCovariance {
    std::vector<double> Matrix;  // p x p
    double Absorbed = 0;
    bool Ok = false;
};

TUnitCovariance NoiseCovariance(std::span<const double> jacobian, size_t n, size_t p, double rho);

// The noise's correlation that the fit's residuals show: the rho for which
// the expected ratio of the residuals' neighbouring products to their
// squares (after what the fit takes out of such noise) is the one measured.
// Over the points used (nonzero `used`), neighbours both used.
double ResidualNoiseCorrelation(std::span<const double> jacobian, size_t n, size_t p,
                                std::span<const double> residual, std::span<const char> used, double highest);
