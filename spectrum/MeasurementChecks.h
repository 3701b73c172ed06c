#pragma once
// Checks that say when a measurement of a spectrum should not be trusted:
// each finding has a stable code and a sentence saying what is wrong and
// what to do. Computed for every spectrum, with or without a fit.

#include "LineView.h"

#include <QString>
#include <optional>
#include <span>
#include <vector>

struct TMeasurementWarning {
    QString Code;  // clipped, overmodulated, wings_cut, ambiguous_centre, low_snr, baseline_drift, fit_failed
    QString Text;
};

struct TCheckInput {
    TLineView Spectrum;                  // the stored points (y clipped at +-500)
    std::span<const double> Baseline;    // the baseline under them
    TLineView Absorption;                // the absorption view, when it is computed
    double Noise = 0;                    // y units
    double ModAmp = 0;                   // x units
    std::optional<double> FitPpWidth;    // from a fit, when one ran
    int MomentLeft = 0, MomentRight = 0; // the moment cursors
};

std::vector<TMeasurementWarning> CheckMeasurements(const TCheckInput& input);
