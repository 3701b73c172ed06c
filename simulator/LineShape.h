#pragma once
// Resonance line shapes of the simulated samples.
//
// A shape gives the complex line profile psi(d) = dispersion(d) + i * absorption(d)
// at a field offset d (Gs) from resonance. The absorption has unit area; the
// dispersion is its Hilbert transform. Under field modulation of amplitude a (Gs)
// the lock-in detects the first harmonic
//     S1(d, a) = (1/pi) * integral over one cycle of psi(d + a cos phi) cos phi dphi,
// which is a * psi'(d) for small a and broadens and flattens as a grows.

#include <complex>
#include <vector>

using TComplex = std::complex<double>;

class TLineShape {
public:
    virtual ~TLineShape() = default;
    virtual TComplex Profile(double d) const = 0;
    // Default: the periodic trapezoid rule over the modulation cycle (exact to
    // rounding for the smooth shapes here).
    virtual TComplex FirstHarmonic(double d, double modAmp) const;
};

// Lorentzian of half width at half height hwhm; peak-to-peak derivative width hwhm * 2 / sqrt(3).
class TLorentzLine : public TLineShape {
public:
    explicit TLorentzLine(double hwhm) : FHwhm(hwhm) {}
    TComplex Profile(double d) const override;
    // Closed form of the modulated first harmonic.
    TComplex FirstHarmonic(double d, double modAmp) const override;

private:
    double FHwhm;
};

// Gaussian of standard deviation sigma: second moment sigma^2, peak-to-peak width 2 sigma.
class TGaussLine : public TLineShape {
public:
    explicit TGaussLine(double sigma) : FSigma(sigma) {}
    TComplex Profile(double d) const override;
    TComplex Derivative(double d) const;

private:
    double FSigma;
};

// Powder pattern of isolated proton pairs (Pake doublet): each crystallite gives
// two lines at +-alpha * (3 cos^2 theta - 1), each broadened by a Gaussian of
// width sigma. Horns at +-alpha, shoulders at +-2 alpha; second moment
// 0.8 alpha^2 + sigma^2. Tabulated once, interpolated with cubic Hermite.
class TPakeLine : public TLineShape {
public:
    TPakeLine(double alpha, double sigma);
    TComplex Profile(double d) const override;

private:
    double FSecondMoment;
    double FStep;     // grid step, Gs
    double FHalfSpan; // the table covers -FHalfSpan..FHalfSpan
    std::vector<TComplex> FValue, FSlope;
};

// Dawson's integral F(x) = exp(-x^2) * integral from 0 to x of exp(t^2) dt.
double Dawson(double x);
