#pragma once
// Every measurement of a stored spectrum at once, as the processing window
// would give them with its automatic cursors: baseline, both views with
// their moments, the widths, the integral, the g-factor of an ESR spectrum,
// the noise and the uncertainties of the moments. Used by meril-proc.

#include "Baseline.h"
#include "Cursors.h"
#include "DataFile.h"
#include "LineFit.h"
#include "MeasurementChecks.h"
#include "Moments.h"
#include "SpectrumFit.h"

#include <QString>
#include <optional>
#include <vector>

// The spectrum's points as arrays.
struct TSpectrumArrays {
    std::vector<double> X, Y;
    explicit TSpectrumArrays(const TSpectrum& spectrum);
    TLineView View() const { return TLineView(X, Y); }
};

// "kHz" for a frequency sweep (SweepTp 0), "Gs" otherwise.
QString AxisUnitText(const TDataHeader& header);

struct TViewReport {
    TCursorIndexes Cursors;
    TMoments Moments;
    double M2_u = 0, M4_u = 0;
};

struct TSpectrumReport {
    int Points = 0;
    TBaseline Baseline;
    int Factor = 0;   // of the absorption integrator
    int Centre = 0;   // FindLineCentre
    TViewReport Derivative, Absorption;
    double SDB = 0;                 // x units
    std::optional<double> HDB;      // none when no half height is found
    QString HDBError;               // then the operator's message
    int IntegralLeft = 0, IntegralRight = 0;
    double IntegralLC = 0, IntegralRC = 0;  // x of the integral cursors
    long double AI = 0;                     // the area integrator's Sum
    std::optional<double> G;                // ESR spectra only, at the line centre; none when implausible
    double Noise = 0;                       // MeasureNoise: rms of single points
    double NoiseCorrelation = 0;            // and their lag-1 correlation
    std::optional<TFitResult> Fit;  // when a fit was asked for
    // The measurement checks, with the moment cursors of both views.
    std::vector<TMeasurementWarning> Warnings;
};

struct TReportOptions {
    // LC, MC, RC for the moments of both views instead of the automatic ones.
    std::optional<TCursorIndexes> Cursors;
    // M2_u and M4_u of both views (the window shows none).
    bool Uncertainties = true;
    // The line-shape fit of the baseline-corrected derivative, over the point
    // indexes FitRange (inclusive; the whole spectrum when none).
    std::optional<TFitModel> Fit;
    THyperfineGroups Hyperfine;
    std::optional<std::pair<int, int>> FitRange;
};

// The g-factor at x (the line centre) of an ESR spectrum, with the numbers it
// comes from; none for other spectra and when the file gives no frequency.
std::optional<TGCheck> GAt(const TSpectrum& spectrum, double x);

// The automatic moment cursors (LC, RC) of the derivative and of the
// absorption view, as the window places them and meril-proc measures with.
std::vector<TMomentCursors> AutomaticMomentCursors(const TSpectrum& spectrum, const TBaseline& baseline);

// The measurement checks of a spectrum under a baseline, with the moment
// cursors given, the fit made for it as it stands now (or none) and the
// range that fit was asked for (none for the whole spectrum). meril-proc and
// the processing window both take their findings from here.
std::vector<TMeasurementWarning> SpectrumChecks(const TSpectrum& spectrum, const TBaseline& baseline,
                                                const std::vector<TMomentCursors>& moments,
                                                const TFitResult* fit = nullptr,
                                                std::optional<std::pair<int, int>> fitRange = std::nullopt);

// Throws EMerilError when the spectrum cannot be processed (fewer than 2 or
// more than 65535 points, cursors outside the spectrum).
TSpectrumReport MeasureSpectrum(const TSpectrum& spectrum, const TReportOptions& options = {});
