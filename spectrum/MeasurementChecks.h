#pragma once
// Checks that say when a measurement of a spectrum should not be trusted:
// each finding has a stable code and a sentence saying what is wrong and
// what to do. Computed for every spectrum, with or without a fit.

#include "LineView.h"
#include "YScale.h"

#include <QString>
#include <optional>
#include <span>
#include <vector>

struct TMeasurementWarning {
    QString Code;  // clipped, overmodulated, wings_cut, ambiguous_centre, low_snr, baseline_drift, implausible_g,
                   // fit_failed, modulation_left_out
    QString Text;
    bool operator==(const TMeasurementWarning&) const = default;
};

// The left and right cursor of a moment measurement (point indexes).
struct TMomentCursors {
    int Left = 0;
    int Right = 0;
};

// The g-factor of an ESR spectrum at its line centre and the numbers it came from.
struct TGCheck {
    double G = 0;
    double FrequencyKHz = 0;
    double B0 = 0;   // Gs
};

// g lies within 1.5 to 3 and comes from a frequency and a B0 that are not 0;
// otherwise no g is shown.
bool PlausibleG(const TGCheck& g);

struct TCheckInput {
    TLineView Spectrum;                  // the stored points, every point
    std::span<const double> Baseline;    // the baseline under them, one value per point
    double ModAmp = 0;                   // modulation amplitude, x units
    std::optional<double> FitPpWidth;    // peak-to-peak width from a fit, when one ran (x units)
    std::vector<TMomentCursors> Moments; // the cursors of each moment measurement made
    QString Unit = QStringLiteral("Gs"); // of x, for the texts
    std::optional<TGCheck> G = std::nullopt;  // ESR spectra only
    TYScale YScale;                      // of the points: the +-500 clip and count step of a .dcw file, or another file's
};

// The points at each end that the automatic baseline averages are the
// wings: their scatter about their own mean is the noise of the checks.
// A finding is reported once per code, in the order of the codes above.
std::vector<TMeasurementWarning> CheckMeasurements(const TCheckInput& input);
