#include "LineFitCovariance.h"

#include "SpectrumNoise.h"

#include <gsl/gsl_errno.h>
#include <gsl/gsl_multifit_nlinear.h>

#include <algorithm>
#include <cmath>

namespace {

// The Jacobian (column-major) with A = (J^T J)^-1 and J A, which do not
// depend on the noise.
struct TJacobian {
    std::span<const double> J;
    size_t N = 0, P = 0;
    std::vector<double> A, JA;
    bool Ok = false;

    TJacobian(std::span<const double> jacobian, size_t n, size_t p) : J(jacobian), N(n), P(p)
    {
        gsl_matrix* j = gsl_matrix_alloc(n, p);
        gsl_matrix* inverse = gsl_matrix_alloc(p, p);
        for (size_t i = 0; i < n; ++i)
            for (size_t k = 0; k < p; ++k)
                gsl_matrix_set(j, i, k, J[k * n + i]);
        Ok = gsl_multifit_nlinear_covar(j, 0.0, inverse) == GSL_SUCCESS;
        A.assign(inverse->data, inverse->data + p * p);
        gsl_matrix_free(inverse);
        gsl_matrix_free(j);
        JA = Times(A);
    }

    // J M for a p x p matrix M, column-major n x p.
    std::vector<double> Times(const std::vector<double>& m) const
    {
        std::vector<double> out(N * P, 0.0);
        for (size_t k = 0; k < P; ++k)
            for (size_t l = 0; l < P; ++l) {
                const double f = m[l * P + k];
                for (size_t i = 0; i < N; ++i)
                    out[k * N + i] += J[l * N + i] * f;
            }
        return out;
    }
};

// For noise of correlation rho: R J, J^T R J and the covariance B = A J^T R J A.
struct TSandwich {
    std::vector<double> RJ, B;
    TUnitCovariance Unit;

    TSandwich(const TJacobian& j, double rho)
    {
        const size_t n = j.N, p = j.P;
        RJ.assign(j.J.begin(), j.J.end());
        for (size_t k = 0; k < p; ++k)
            ApplyNoiseCorrelation(rho, std::span<double>(&RJ[k * n], n));
        std::vector<double> middle(p * p, 0.0), left(p * p, 0.0);
        for (size_t k = 0; k < p; ++k)
            for (size_t l = 0; l < p; ++l)
                for (size_t i = 0; i < n; ++i)
                    middle[k * p + l] += j.J[k * n + i] * RJ[l * n + i];
        for (size_t k = 0; k < p; ++k)
            for (size_t l = 0; l < p; ++l)
                for (size_t m = 0; m < p; ++m)
                    left[k * p + l] += j.A[k * p + m] * middle[m * p + l];
        B.assign(p * p, 0.0);
        for (size_t k = 0; k < p; ++k)
            for (size_t l = 0; l < p; ++l)
                for (size_t m = 0; m < p; ++m)
                    B[k * p + l] += left[k * p + m] * j.A[m * p + l];
        for (size_t k = 0; k < p; ++k)
            Unit.Absorbed += left[k * p + k];
        Unit.Matrix = B;
        Unit.Ok = j.Ok && std::isfinite(Unit.Absorbed) &&
                  std::all_of(B.begin(), B.end(), [](double v) { return std::isfinite(v); });
    }
};

// What unit noise leaves in the residuals' squares and neighbouring
// products: trace and first subdiagonal (over used neighbours) of
// M = (P - H) R (P - H), H = J A J^T:
// M_ij = R_ij - (JA)_i . (RJ)_j - (RJ)_i . (JA)_j + (JB)_i . J_j.
std::pair<double, double> Expected(const TJacobian& j, const TSandwich& s, std::span<const char> used, double rho)
{
    const size_t n = j.N, p = j.P;
    const std::vector<double> jb = j.Times(s.B);
    const auto dot = [&](const std::vector<double>& a, size_t i, std::span<const double> b, size_t k) {
        double sum = 0;
        for (size_t l = 0; l < p; ++l)
            sum += a[l * n + i] * b[l * n + k];
        return sum;
    };
    const std::span<const double> rj = s.RJ;
    double squares = 0, lagged = 0;
    for (size_t i = 0; i < n; ++i) {
        if (!used[i])
            continue;
        squares += 1 - 2 * dot(j.JA, i, rj, i) + dot(jb, i, j.J, i);
        if (i > 0 && used[i - 1])
            lagged += rho - dot(j.JA, i, rj, i - 1) - dot(j.JA, i - 1, rj, i) + dot(jb, i, j.J, i - 1);
    }
    return {squares, lagged};
}

} // namespace

TUnitCovariance NoiseCovariance(std::span<const double> jacobian, size_t n, size_t p, double rho)
{
    return TSandwich(TJacobian(jacobian, n, p), rho).Unit;
}

double ResidualNoiseCorrelation(std::span<const double> jacobian, size_t n, size_t p,
                                std::span<const double> residual, std::span<const char> used, double highest)
{
    double squares = 0, lagged = 0;
    for (size_t i = 0; i < n; ++i)
        if (used[i]) {
            squares += residual[i] * residual[i];
            if (i > 0 && used[i - 1])
                lagged += residual[i] * residual[i - 1];
        }
    const TJacobian j(jacobian, n, p);
    if (!(squares > 0) || !j.Ok)
        return 0;
    const double measured = lagged / squares;
    const auto ratio = [&](double rho) {
        const TSandwich s(j, rho);
        const auto [sq, lag] = Expected(j, s, used, rho);
        return s.Unit.Ok && sq > 0 ? lag / sq : 0.0;
    };
    // The ratio grows with rho: regula falsi (Illinois) to 1e-4.
    double low = 0, high = highest;
    double fLow = ratio(low) - measured, fHigh = ratio(high) - measured;
    if (!(fLow < 0))
        return 0;
    if (!(fHigh > 0))
        return high;
    int side = 0;
    for (int k = 0; k < 30 && high - low > 1e-4; ++k) {
        const double mid = std::clamp((low * fHigh - high * fLow) / (fHigh - fLow), low, high);
        const double fMid = ratio(mid) - measured;
        if (fMid < 0) {
            low = mid;
            fLow = fMid;
            if (side == -1)
                fHigh /= 2;
            side = -1;
        } else {
            high = mid;
            fHigh = fMid;
            if (side == 1)
                fLow /= 2;
            side = 1;
        }
        if (std::abs(fMid) < 1e-6)
            return mid;
    }
    return 0.5 * (low + high);
}
