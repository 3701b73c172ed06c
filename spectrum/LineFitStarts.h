#pragma once
// Starting values of the fit, taken from the spectrum, internal to the fit.
// One line: the strongest line's lobes give the centre and the width, tried
// at a few widths. Hyperfine groups: the absorption's first moment gives the
// centre and the strongest line the width; the couplings come from scans
// over each coupling in turn, first on broadened lines (where the sum of
// squares has few local minima) and then narrowing them step by step,
// so that the fit starts near the right pattern rather than a neighbour.

#include "LineFitProblem.h"

#include <vector>

// Parameter vectors to start the fit from, the most promising first.
// `noise`: rms of single points (for the lobes of the strongest line).
std::vector<std::vector<double>> FitStarts(const TFitProblem& problem, double noise);
