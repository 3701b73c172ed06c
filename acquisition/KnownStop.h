#pragma once
// "Stop when known": a run that ends with the first pass whose accumulated
// sum gives a quantity to the uncertainty wanted. The line-shape fit of the
// sum after each pass gives the value and its uncertainty u; u falls as
// 1/sqrt(N) with the passes N, which projects the passes still needed.
// No widgets.

#include "LineFit.h"

#include <QString>
#include <optional>
#include <vector>

enum class TKnownQuantity { M2, PpWidth, G, Area, Coupling };

// "M2", "ΔBpp", "g", "area", "a".
QString KnownQuantityName(TKnownQuantity q);
// The unit of the quantity for a sweep in `unit` ("Gs" or "kHz"): "Gs²" for
// M2, "Gs" for the widths and the coupling, none for g and the area.
QString KnownQuantityUnit(TKnownQuantity q, const QString& unit);

struct TKnownTarget {
    TKnownQuantity Quantity = TKnownQuantity::M2;
    double Uncertainty = 1;     // the uncertainty wanted, at most
    bool Relative = true;       // Uncertainty is in per cent of the value
    TFitModel Model = TFitModel::Gauss;
    std::optional<THyperfine> Hyperfine;   // the multiplet, for its coupling a
};

// Why the fit cannot give the quantity (empty when it can): M2 needs the
// gauss or pake model, g an ESR spectrum, a coupling a multiplet; the
// uncertainty wanted must be above 0.
QString KnownTargetProblem(const TKnownTarget& t, bool esr);

// The fit of the sum after one pass.
struct TKnownPoint {
    int Pass = 0;               // passes measured so far
    int PassesFitted = 0;       // of those, the ones in the sum fitted
    std::vector<int> LeftOut;   // numbers of the suspect passes left out
    bool Ok = false;
    QString Failure;            // why there is no value
    double Value = 0, U = 0;
};

// The uncertainty wanted of a value.
double WantedUncertainty(const TKnownTarget& t, double value);
bool Reached(const TKnownTarget& t, const TKnownPoint& p);
// Passes still to measure after p, projected from u·sqrt(N) of p; none
// without a value.
std::optional<int> PassesStillNeeded(const TKnownTarget& t, const TKnownPoint& p);
// u of the sum of `passes` passes, projected from p.
double ProjectedUncertainty(const TKnownPoint& p, int passes);
