#pragma once
// First-derivative CW line shapes for the line-shape fit. Every absorption
// line has unit area. Under sinusoidal field modulation of amplitude a the
// lock-in's first harmonic is
//     S1(d) = (1/pi) * integral over one cycle of A(d + a cos phi) cos phi dphi
//           = (2a/pi) * integral from 0 to pi of A'(d + a cos phi) sin^2 phi dphi,
// and the shapes here give S1 / a: the derivative A'(d) for a -> 0, and a curve
// whose double integral is 1 for any a, so the fitted amplitude is the area.

#include <span>
#include <vector>

enum class TShapeKind { Gauss, Lorentz, Voigt, Pake };

struct TShape {
    TShapeKind Kind = TShapeKind::Gauss;
    double Width = 1;   // sigma (gauss, pake) or half width at half height (lorentz, voigt)
    double Eta = 0;     // voigt: Lorentzian share, both parts of the same half width
    double Alpha = 0;   // pake: horns at +-alpha, shoulders at +-2 alpha
    double ModAmp = 0;  // peak modulation amplitude, x units
};

// The unmodulated absorption A(d) and its slope A'(d).
double ShapeAbsorption(const TShape& shape, double d);
double ShapeSlope(const TShape& shape, double d);
// The modulated first harmonic over the modulation amplitude (ShapeSlope when
// ModAmp is 0). Closed form for the Lorentzian, phase quadrature otherwise.
double ModulatedSlope(const TShape& shape, double d);

// Relative intensities (summing to 1) of the 2nI + 1 lines of n equivalent
// nuclei of spin I: the coefficients of (1 + z + ... + z^(2I))^n.
std::vector<double> MultipletWeights(int nuclei, double spin);

// Peak-to-peak width of one unmodulated line: the distance between the
// extremes of its derivative.
double PeakToPeakWidth(const TShape& shape);

// The modulated derivative line (or multiplet: lines at centre + (k - K) * coupling
// with the given weights, K the middle index) at every x, summed into `out`
// times `scale`. Long spectra are evaluated through a fine table of the shape.
void AddShapeCurve(const TShape& shape, double centre, double coupling, std::span<const double> weights,
                   std::span<const double> x, double scale, std::span<double> out);
