#pragma once
// Least-squares fit of the first-derivative CW line shape to a processed
// (baseline-corrected) spectrum. The models include the sinusoidal field
// modulation, so an over-modulated line fits to its true width; lines may be
// split by groups of equivalent nuclei. Levenberg-Marquardt (GSL
// gsl_multifit_nlinear) with an analytic Jacobian, from starting values taken
// from the spectrum. The standard uncertainties allow for the noise's
// point-to-point correlation. Whether a line is there at all is decided from
// the data (its height and its matched-filter amplitude against the noise),
// not from the fit's uncertainties; a fit that leaves structure in its
// residuals is still a result, marked as a misfit. A fit that cannot be made
// is a result with a reason, never an exception, a NaN or an infinity.

#include "Hyperfine.h"
#include "LineView.h"

#include <QString>
#include <atomic>
#include <optional>
#include <vector>

enum class TFitModel { Gauss, Lorentz, Voigt, Pake, Auto };

// "gauss", "lorentz", "pseudo-voigt", "pake", "auto": the names meril-proc
// takes and writes ("voigt" is taken too).
QString FitModelName(TFitModel model);
std::optional<TFitModel> FitModelFromName(const QString& name);
// The model as the texts for people name it: "pseudo-Voigt" for Voigt.
QString FitModelTitle(TFitModel model);

struct TFitRequest {
    TFitModel Model = TFitModel::Auto;
    // Points First..Last of the view are fitted (a chosen range, or the
    // whole spectrum).
    int First = 0;
    int Last = -1;
    // Peak amplitude of the sinusoidal modulation in x units; 0 for none.
    double ModAmp = 0;
    // x units per Gs: 1 for a field sweep, gamma (kHz/Gs) for a frequency
    // sweep. r_HH needs alpha in Gs.
    double XPerGauss = 1;
    // Groups of equivalent nuclei (gauss, lorentz, pseudo-Voigt); none for one line.
    THyperfineGroups Hyperfine;
    // The noise of single points (y units) and its lag-1 correlation, as
    // MeasureNoise gives them; when Noise is 0 the fit measures both on the
    // view's wings the same way.
    double Noise = 0;
    double NoiseCorrelation = 0;
    // Points of the view that carry no measurement (clipped at the
    // converter's limit): left out of the fit. Indexed like the view; empty
    // for none.
    std::vector<bool> LeftOut;
    // ESR spectra: the spectrometer frequency (kHz) and B0 (Gs) at x = 0, for
    // g at the fitted centre, and the last digit of the texts they were read
    // from (kHz, Gs), whose rounding also limits g.
    std::optional<double> EsrFrequencyKHz;
    double B0 = 0;
    double FrequencyDigitKHz = 0;
    double B0Digit = 0;
    // Set from another thread to stop the fit; it then fails as cancelled.
    const std::atomic<bool>* Cancel = nullptr;
};

// A fitted quantity with its standard uncertainty.
struct TFitValue {
    double Value = 0;
    double U = 0;
};

struct TFitResult {
    bool Ok = false;
    QString Failure;  // why no fit was made (Ok false): the text of fit_failed
    TFitModel Model = TFitModel::Gauss;  // the model fitted (Auto resolved; Auto when no fit was made)
    TFitValue Centre;   // x units
    TFitValue PpWidth;  // peak-to-peak width of one line, x units
    TFitValue Width;    // sigma (gauss, pake) or half width at half height
    std::optional<TFitValue> Eta;     // pseudo-Voigt: Lorentzian share, 0 to 1
    TFitValue Area;                   // double integral of the derivative
    std::optional<TFitValue> M2;      // where finite: gauss, pake
    std::optional<TFitValue> Alpha;   // pake, x units
    std::optional<TFitValue> RHH;     // pake, proton-proton distance in Angstrom
    std::vector<TFitValue> A;         // hyperfine couplings, one per group, x units
    std::optional<TFitValue> G;       // ESR spectra; U combines the two below
    double GUFit = 0;     // g's uncertainty from the fitted centre
    double GUField = 0;   // from the resolution of the stored B0 and frequency texts
    double Chi2Red = 0;       // against the noise of single points
    double ResidualRms = 0;   // y units
    double ResidualCorr = 0;  // lag-1 autocorrelation of the residuals
    // The residuals keep structure the noise cannot make: chi2_red well
    // above 1 and residuals smoother than the noise. The uncertainties then
    // hold for this model only.
    bool Misfit = false;
    double NoiseCorrelation = 0;  // of the noise the fit was measured against
    int LeftOut = 0;              // points of the range left out (clipped)
    // The fitted curve (baseline offset and slope included) and the residual
    // at the points First..Last (0 at points left out).
    int First = 0;
    std::vector<double> Curve;
    std::vector<double> Residual;
};

TFitResult FitLineShape(const TLineView& view, const TFitRequest& request);
