#pragma once
// The detector output of the simulated instrument: where the sample resonates
// for the current field and frequency, the modulated derivative line, gain,
// phase, and the conversion to the counts of the data lines.

#include "InstrumentSettings.h"

// The largest signal the converter reports, in display units (counts / data divisor).
constexpr double ConverterFullScale = 8388607.0 / 13500;

// Centre field of a field sweep, Gs: the same value the program shows for the
// B0 position it sent, given the calibration of the X line.
double CentreField(const TParameters& params, const TInstrumentConfig& config);
// Field offset from resonance, Gs, at sweep offset x (Gs for a field sweep, kHz for a frequency sweep).
double ResonanceOffset(const TParameters& params, const TInstrumentConfig& config, bool freqSweep, double x);
// Receiver gain of a gain position: 1 at 128, 60 dB over the whole range.
double GainFactor(int gain);
// Noise-free detector output in display units at sweep offset x.
double SignalAt(const TParameters& params, const TInstrumentConfig& config, bool freqSweep, double x);

// The host's divisor for this control program version: raw counts per display unit.
int DataDivisor(const QByteArray& version);

struct TReading {
    qint32 Raw;
    bool OutOfRange; // clipped at the converter's full scale
};
TReading ConvertReading(double display, int divisor);
