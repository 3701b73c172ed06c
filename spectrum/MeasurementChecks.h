#pragma once
// Checks that say when a measurement of a spectrum should not be trusted:
// each finding has a stable code and a sentence saying what is wrong and
// what to do. Computed for every spectrum, with or without a fit, by the
// processing window and meril-proc alike.

#include "LineFit.h"
#include "LineView.h"
#include "YScale.h"

#include <QString>
#include <optional>
#include <span>
#include <utility>
#include <vector>

struct TMeasurementWarning {
    QString Code;
    QString Text;
    bool operator==(const TMeasurementWarning&) const = default;
};

// Every code, in the order the findings are reported.
const std::vector<QString>& MeasurementWarningCodes();

// The left and right cursor of a moment measurement (point indexes).
struct TMomentCursors {
    int Left = 0;
    int Right = 0;
    bool operator==(const TMomentCursors&) const = default;
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
    std::vector<TMomentCursors> Moments; // the cursors of each moment measurement made
    QString Unit = QStringLiteral("Gs"); // of x, for the texts
    // The fit of this spectrum as it stands now (none, or one made before
    // the baseline or the range changed, feeds nothing), and the point
    // indexes it was asked to cover when not the whole spectrum.
    const TFitResult* Fit = nullptr;
    std::optional<std::pair<int, int>> FitRange;
    std::optional<TGCheck> G = std::nullopt;  // ESR spectra only
    TYScale YScale;                      // of the points: the +-500 clip and count step of a .dcw file, or another file's
};

// The noise is that of MeasureNoise. A finding is reported once per code,
// in the order of MeasurementWarningCodes.
std::vector<TMeasurementWarning> CheckMeasurements(const TCheckInput& input);
