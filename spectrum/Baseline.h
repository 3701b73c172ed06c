#pragma once
// The straight baseline under a stored spectrum: y = Offset + Slope * i over
// the point index i. Laid automatically at load through the means of the two
// ends of the spectrum; the operator then shifts it by one y unit or tilts it
// by 0.002 per point with the four baseline buttons.

#include "Real48.h"

#include <span>
#include <vector>

struct TBaseline {
    Real48 Offset;  // y units
    Real48 Slope;   // y units per point
    double At(int i) const { return double((long double)Offset + (long double)Slope * i); }
};

// n of the automatic baseline: a tenth of the point count, rounded to the
// nearest whole number (halves to even). Each end mean covers n + 1 points.
int BaselineEndCount(int count);

// The automatic baseline: Offset the mean of points 0..n, Slope the
// difference of the two end means divided by the point count (not count - 1).
// The line holds at least two points.
TBaseline ComputeBaseline(std::span<const double> y);

// The four baseline buttons.
enum class TBaselineStep { Down, Up, Left, Right };
// Down/Up: Offset -1/+1 count; Left/Right: Slope -0.002/+0.002 counts per
// point (yUnit: one count in y units, TYScale::Unit).
void StepBaseline(TBaseline& baseline, TBaselineStep step, double yUnit = 1);

// The baseline y at every index 0..count-1.
std::vector<double> BaselineValues(const TBaseline& baseline, int count);
