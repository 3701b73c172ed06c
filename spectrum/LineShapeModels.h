#pragma once
// First-derivative CW line shapes for the line-shape fit, with their partial
// derivatives (the fit's Jacobian is analytic). Every absorption line has
// unit area. Under sinusoidal field modulation of amplitude a the lock-in's
// first harmonic is
//     S1(d) = (1/pi) * integral over one cycle of A(d + a cos phi) cos phi dphi
//           = (2a/pi) * integral from 0 to pi of A'(d + a cos phi) sin^2 phi dphi,
// and the shapes here give S1 / a: the derivative A'(d) for a -> 0, and a curve
// whose double integral is 1 for any a, so the fitted amplitude is the area.

#include <memory>
#include <span>
#include <vector>

enum class TShapeKind { Gauss, Lorentz, Voigt, Pake };

struct TShape {
    TShapeKind Kind = TShapeKind::Gauss;
    double Width = 1;   // sigma (gauss, pake) or half width at half height (lorentz, pseudo-Voigt)
    double Eta = 0;     // pseudo-Voigt: Lorentzian share, both parts of the same half width
    double Alpha = 0;   // pake: horns at +-alpha, shoulders at +-2 alpha
    double ModAmp = 0;  // peak modulation amplitude, x units
};

// The modulated first harmonic over a at d (the slope A'(d) when ModAmp is
// 0) and its partial derivatives: by d, by the width, and by eta
// (pseudo-Voigt) or alpha (pake). Closed form for the Lorentzian, phase
// quadrature otherwise.
enum TShapeChannel : int { ShapeValue, ShapeByD, ShapeByWidth, ShapeByExtra, ShapeChannelCount };
struct TShapePoint {
    double Of[ShapeChannelCount] = {};
};
TShapePoint ModulatedShape(const TShape& shape, double d);

// Peak-to-peak width of one unmodulated line: the distance between the
// extremes of its derivative.
double PeakToPeakWidth(const TShape& shape);
// The distance between the extremes of the modulated line as recorded.
double ModulatedPeakToPeak(const TShape& shape);

// One sum over lines at `positions`: for every x, the sum over lines k of
// Weights[k] * channel(x - positions[k]), added into Out.
struct TLineSum {
    TShapeChannel Channel = ShapeValue;
    std::span<const double> Weights;
    std::span<double> Out;
};

// The tables of the last sum, kept for the next one with the same shape,
// points and line positions (a fit asks for its curve, then for the
// Jacobian at the same parameters). One per fit; not shared between threads.
class TShapeCache {
public:
    TShapeCache();
    ~TShapeCache();
    struct TTables;
    std::unique_ptr<TTables> Tables;
};

// Several such sums at once over the same lines (the fitted curve, or the
// columns of the Jacobian). Long spectra and many lines are evaluated
// through a fine table of the shape.
void SumLines(const TShape& shape, std::span<const double> positions, std::span<const double> x,
              std::span<const TLineSum> sums, TShapeCache* cache = nullptr);
