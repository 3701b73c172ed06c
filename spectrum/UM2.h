#pragma once
// Second and fourth moments of a resonance line from one half of a spectrum:
// from the line centre (Start) out to one edge (End, on either side). The
// k-th visited point (k = 1 at Start) lies k * dX from the centre, dX being
// the spacing of the first two x values of the line; the x values of the
// visited points are never read. Each routine returns
// numerator / denominator * factor - correction, or 0 when the denominator is
// exactly 0:
//
//   M2FromDerivative   sum k^3 y / sum k y   * dX^2 / 3    - P^2 / 4
//   M2FromAbsorption   sum k^2 y / sum y     * dX^2        - P^2 / 4
//   M4FromDerivative   sum k^5 y / sum k y   * dX^4 * 0.2
//   M4FromAbsorption   sum k^4 y / sum y     * dX^4
//
// The weights are whole numbers formed in 128-bit integers (k^5 passes 64
// bits from k = 7132). M2 sums are doubles, M4 sums extended. The routines do
// not check their arguments: the line holds at least two points and Start
// and End are valid indexes.

#include "LineView.h"
#include "Real48.h"

double M2FromDerivative(const TLineView& line, int start, int end, Real48 p);
double M2FromAbsorption(const TLineView& line, int start, int end, Real48 p);
double M4FromDerivative(const TLineView& line, int start, int end);
double M4FromAbsorption(const TLineView& line, int start, int end);
// The broadening by a modulation of amplitude P: P * P * 0.25, as a 6-byte real.
Real48 ModulationCorrection(Real48 p);
// The weight k^power of the k-th point (power 0 to 5), formed exactly as an
// integer and converted once.
long double MomentWeight(long long k, int power);
