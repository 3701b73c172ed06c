#pragma once
// The two processed views of a spectrum: the baseline-corrected first
// derivative and the absorption line integrated from it, and the axis rule of
// the vertical expansion.

#include "LineView.h"
#include "UIntegration.h"

#include <span>
#include <vector>

// y[i] - baseline[i] for every drawn index of the spectrum, first to last.
std::vector<double> DerivativeView(const TLineView& spectrum, std::span<const double> baseline);

// +1 when the lowest point of the spectrum comes after its highest, else -1
// (also when both share an index), so that the integral of a derivative line
// comes out positive whichever lobe comes first.
int AbsorptionFactor(const TLineView& spectrum);

// The absorption integrator of a spectrum: spectrum minus baseline, no
// automatic scaling, Factor by AbsorptionFactor. Run it from the first to the
// last drawn index; its DestX/DestY are then the absorption line.
TIntegrator AbsorptionIntegrator(const TLineView& spectrum, std::span<const double> baseline);
// The absorption line of the whole drawn spectrum: the integrator run once.
TIntegrator AbsorptionView(const TLineView& spectrum, std::span<const double> baseline);

// The area integrator over a view: no baseline, automatic scaling against the
// right axis given, Factor 1000 (its Sum is 1000 x the area).
TIntegrator AreaIntegrator(const TLineView& absorption, double axisMinimum, double axisMaximum);

// Limits of an axis.
struct TAxisRange {
    double Minimum = 0;
    double Maximum = 0;
};
// "VE": from the smallest to the largest y of the view (the axis labels
// them at round values of its own choosing).
TAxisRange VerticalExpansion(std::span<const double> y);
