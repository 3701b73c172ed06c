#pragma once
// Standard uncertainties of the moments from the noise of the stored
// spectrum, by linear propagation: each spectrum point carries noise of the
// measured rms and point-to-point correlation; it reaches the view through
// the automatic baseline (the means of the n + 1 points at each end) and, in
// the absorption view, through the trapezoidal integration, and the moments
// through their sums. The cursors are held fixed.

#include "LineView.h"
#include "Moments.h"
#include "SpectrumNoise.h"

#include <span>
#include <vector>

struct TMomentUncertainty {
    double M2 = 0;  // of the mean (M2L + M2R) / 2
    double M4 = 0;  // of the mean (M4L + M4R) / 2
};

// `view` holds the y values of the processed view over every spectrum point
// (derivative: spectrum minus baseline; absorption: the integrator's output
// with `factor`), indexed like the spectrum.
TMomentUncertainty MomentUncertainty(const TLineView& spectrum, std::span<const double> view, TViewKind kind,
                                     int factor, int left, int centre, int right, const TSpectrumNoise& noise);

// The rms that the noise on the stored spectrum points gives a quantity whose
// gradient over the view (indexed like the spectrum) is g: carried back
// through the integration (absorption view, with `factor`) and the automatic
// baseline.
double PropagatedNoise(std::vector<long double> g, const TLineView& spectrum, TViewKind kind, int factor,
                       const TSpectrumNoise& noise);
