#pragma once
// The series integrator: integrates one line into another by the trapezoidal
// rule, optionally subtracting a baseline point by point, multiplying every
// trapezoid by an integer factor, and shrinking a display scale so that the
// plotted running integral stays inside the right axis of the chart.
//
// The processing window keeps two: the absorption integrator (spectrum minus
// baseline, factor +1 or -1, no scaling) and the area integrator (the
// absorption line between two cursors, factor 1000, scaling on).

#include "LineView.h"
#include "Real48.h"

#include <cstdint>
#include <span>
#include <vector>

struct TIntegrator {
    // Running integral, unscaled; after Run the integral from the first to the
    // last index of the run, times Factor. Rounded to the 6-byte real at every
    // addition.
    Real48 Sum;
    // Every plotted value is Sum * Scale. Init sets 1.0; Run only shrinks it.
    Real48 Scale = 1.0L;
    // Multiplies every trapezoid. Init leaves it; the owner sets it after Init.
    int32_t Factor = 0;

    // The line integrated and its drawn range (Run is clamped to it). The
    // arrays stay the owner's and must outlive the runs. The owner may set a
    // new Source (another drawn range after a zoom) between runs without
    // Init, which keeps Scale.
    TLineView Source;
    // Subtracted from Source by index; empty for none. At least as long as Source.
    std::span<const double> Baseline;
    // The right axis of the destination chart, read by the automatic scaling.
    // The owner keeps them current (a vertical expansion changes them).
    double AxisMinimum = -500;
    double AxisMaximum = 500;
    bool AutoScale = false;

    // The running integral of the last Run: Last - First + 1 points on the
    // grid x0 + i * dX of the source. The owner copies them into its series.
    std::vector<double> DestX;
    std::vector<double> DestY;

    // Stores the source, baseline, axis and scaling choice and sets Scale to
    // 1.0; Sum and Factor stay as they are.
    void Init(TLineView source, std::span<const double> baseline, double axisMinimum, double axisMaximum,
              bool autoScale);
    // Source y minus the baseline at i (or the source y without a baseline).
    double CorrectedY(int i) const;
    // ((CorrectedY(i) + CorrectedY(i - 1)) * 0.5) * (x[i] - x[i - 1]) * Factor, for i >= 1.
    double TrapezoidStep(int i) const;
    // Refills DestX/DestY for first..last, clamped to the drawn range of the
    // source. The source must hold at least two points. A first beyond last
    // (after clamping) gives the single point (x0 + first * dX, 0) and Sum 0.
    void Run(int first, int last);
};
