#pragma once
// What the simulated instrument is (its configuration, fixed by whoever runs
// it) and what the host has set (its parameters, changed by commands).

#include "Sample.h"

#include <QByteArray>

// Faults injected into the instrument's output, for tests of the receiving side.
struct TFaults {
    double SplitRate = 0;    // probability that a line arrives in two parts with a pause between
    double GarbageRate = 0;  // probability of a garbage line before a line
    double NoCRRate = 0;     // probability that a line loses its CR
    double ErrorRate = 0;    // probability of an E line before a line
    QByteArray ErrorCode = "0001";
    int ExtraVLines = 0;     // V lines sent after the N announced ones, every pass
    int SpoilPass = 0;       // this pass since power-on (from 1) is shifted by SpoilShift; 0: none
    static constexpr double SpoilShift = 25;  // display units at gain 128, as a jump of the baseline
};

struct TInstrumentConfig {
    QByteArray Serial = "0042";   // 4 characters, sent in the Z line
    QByteArray Version = "1.3";   // 3 characters; "2.0" scales the data for the divisor 76000
    quint16 Z1 = 0x0802;          // B0 zero calibration, NMR (X line)
    quint16 Z2 = 0x0801;          // B0 zero calibration, ESR (X line)
    int FieldSource = 4;          // 0..5 (M line): 4 is magnet and coils
    int Points = 1024;            // points of a pass, 1..65535 (A line)
    TSample Sample = TSample::LiquidH;
    double EsrG = 2.0036;         // g-factor of the ESR sample
    double Noise = 2.0;           // rms noise in display units at gain 128
    quint32 Seed = 1;             // noise and fault injection are reproducible from this
    TFaults Faults;
};

// Throws EMerilError naming the first setting out of its range.
void Validate(const TInstrumentConfig& config);

// The state the host's commands set, at power-on values.
struct TParameters {
    bool Esr = false;             // P: ESR bridge and field scale selected
    int Gain = 128;               // D2 carries 255 - gain
    int PhaseStep = 0;            // E: 1.5 degrees a step
    double ModAmpGs = 0.5;        // R (0.01 Gs a unit) or D1 (raw, full scale 2.55 Gs)
    double FieldRangeGs = 10;     // H
    int B0Code = 2047;            // B1: B0 tuning position + 2047
    qint64 FrequencyHz = 14000000; // J
    qint64 FreqRangeHz = 100000;  // K
    int SweepTimeCode = 0;        // G: 0.5 * 2^code minutes
    bool Forward = true;          // S: magnet current direction
    int F2ModCode = 1754;         // T: second-modulation period in 15 us units
    int CalibrationMode = 0;      // X
};
