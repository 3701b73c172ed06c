#pragma once
// The g-factor of an ESR line at a point of the view: the spectrometer
// frequency against the field there, h / muB = 0.07144771 T/GHz.

#include <QString>

struct TGFactor {
    double G = 0;
    QString Text;  // "%8.4n"
};

// g at the field b0 + x (Gs) for the frequency in kHz.
TGFactor MeasureGFactor(long double frequencyKHz, long double b0, double x);
