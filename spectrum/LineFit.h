#pragma once
// Least-squares fit of the first-derivative CW line shape to a processed
// (baseline-corrected) spectrum, with standard uncertainties that account for
// the point-to-point correlation of the residuals. The models include the
// sinusoidal field modulation, so an over-modulated line fits to its true
// width. Levenberg-Marquardt and the covariance come from GSL
// (gsl_multifit_nlinear). A fit that cannot be made is a result with a
// reason, never an exception, a NaN or an infinity.

#include "LineView.h"

#include <QString>
#include <optional>
#include <vector>

enum class TFitModel { Gauss, Lorentz, Voigt, Pake, Auto };

// "gauss", "lorentz", "voigt", "pake", "auto".
QString FitModelName(TFitModel model);
std::optional<TFitModel> FitModelFromName(const QString& name);

// n equivalent nuclei of spin I (a multiple of 1/2) split the line into
// 2nI + 1 lines of multinomial intensities, spaced by the coupling a.
struct THyperfine {
    int Nuclei = 1;
    double Spin = 1;
};

struct TFitRequest {
    TFitModel Model = TFitModel::Auto;
    // Points First..Last of the view are fitted (the cursors' range, or the
    // whole spectrum).
    int First = 0;
    int Last = -1;
    // Peak amplitude of the sinusoidal modulation in x units; 0 for none.
    double ModAmp = 0;
    // x units per Gs: 1 for a field sweep, gamma (kHz/Gs) for a frequency
    // sweep. r_HH needs alpha in Gs.
    double XPerGauss = 1;
    // Gauss, Lorentz and Voigt only.
    std::optional<THyperfine> Hyperfine;
    // The measured noise of the spectrum (y units), for the reduced chi-square.
    double Noise = 0;
    // ESR spectra: the spectrometer frequency (kHz) and B0 (Gs) at x = 0, for g
    // at the fitted centre.
    std::optional<double> EsrFrequencyKHz;
    double B0 = 0;
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
    std::optional<TFitValue> Eta;     // voigt: Lorentzian share
    TFitValue Area;                   // double integral of the derivative
    std::optional<TFitValue> M2;      // where finite: gauss, pake
    std::optional<TFitValue> Alpha;   // pake, x units
    std::optional<TFitValue> RHH;     // pake, proton-proton distance in Angstrom
    std::optional<TFitValue> A;       // multiplets: the coupling, x units
    std::optional<TFitValue> G;       // ESR spectra
    double Chi2Red = 0;       // against the measured noise (0 when that is 0)
    double ResidualRms = 0;   // y units
    double ResidualCorr = 0;  // lag-1 autocorrelation of the residuals
    // The fitted curve (baseline offset and slope included) and the residual
    // at the points First..Last.
    int First = 0;
    std::vector<double> Curve;
    std::vector<double> Residual;
};

TFitResult FitLineShape(const TLineView& view, const TFitRequest& request);
