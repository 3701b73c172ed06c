#pragma once
// Per-mode constants of the spectrometer and the conversions from arrow
// positions to the resonance field B0, the frequency and their steps.
// Mode index m: 0 NMR 1H, 1 NMR 19F, 2 NMR 1H&19F, 3 ESR; another m throws EMerilError.

#include <array>
#include <cstdint>

constexpr int ModeCount = 4;

// Field per B0 position, Gs (held as a 6-byte real).
constexpr std::array<long double, ModeCount> FreqK = {0.1L, 0.1L, 0.1L, 0.0006375L};
// Centre frequency, kHz.
constexpr std::array<long double, ModeCount> FreqF0 = {14000.0L, 13171.0L, 14000.0L, 50000.0L};
// Frequency per field, kHz per Gs.
constexpr std::array<long double, ModeCount> FreqGamma = {4.2577469L, 4.005560551113L, 4.2577469L, 2802.0L};

// k[m] as the program holds it: FreqK rounded to the 6-byte real.
long double FieldPerPosition(int m);

// B0 zero calibration per mode, filled from the instrument's X reply.
extern std::array<int32_t, ModeCount> ZeroOffset;

// B0 in Gs of a TuningB0 position: k[m] * (p - ZeroOffset[m]) + F0[m] / gamma[m], rounded to Real48.
long double ResonanceField(int m, int p);
// Frequency in Hz of a Frequency position: F0[m] * 1000 + p * 500, rounded half to even.
int32_t FrequencyHz(int m, int p);
// Frequency step in Hz of a DFrq position: 500 for 0, else 10^(d-1) * 1000; rounded to Real48.
long double FrequencyStepHz(int d);
// B0 step in positions of a DB0 position: 10^(b-1) / k[m], rounded to Real48.
long double B0StepPositions(int m, int b);
