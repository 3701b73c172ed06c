#pragma once
// The samples the simulated instrument can hold: which spin resonates (and so
// where, for a given frequency), the line shape, and how strong its signal is.

#include "LineShape.h"

#include <QString>
#include <QStringList>
#include <optional>

enum class TSample { LiquidH, SolidH, CrystalH, SolidF, EsrStandard };

struct TSampleInfo {
    TSample Sample;
    const char* Name;        // name on the command line
    const char* Description;
    double NuclearGamma;     // kHz per Gs; 0 for the electron (gamma from the g-factor)
    double ReferenceModAmp;  // Gs; at this modulation and gain 128 the line peaks at ReferencePeak
    double Extent;           // Gs; the line (and its modulation) lies within +-Extent of resonance
    double SecondMoment;     // Gs^2 of the absorption line; infinite for a Lorentzian
};

// Display units (counts / data divisor) of the strongest point of a sample's
// derivative line at gain 128 and its reference modulation.
constexpr double ReferencePeak = 300;

// Bohr magneton over Planck's constant, kHz per Gs.
constexpr double ElectronGammaPerG = 1399.624493;

const TSampleInfo& SampleInfo(TSample sample);
std::optional<TSample> SampleByName(const QString& name);
QStringList SampleNames();

// The sample's line shape, built on first use and kept.
const TLineShape& LineShapeOf(TSample sample);
// Scale from the shape's first harmonic to display units at gain 128 (see ReferencePeak).
double SignalScaleOf(TSample sample);
// Frequency per field of the resonating spin, kHz per Gs.
double SampleGamma(TSample sample, double esrG);
