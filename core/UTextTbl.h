#pragma once
// The value tables behind the parameter arrows, the fixed text tables and the
// caption of every parameter value. Positions in the value tables count from
// 1; an index outside a table throws EMerilError (see TableIndex.h).

#include <QString>

// Rows of the field sweep range table.
constexpr int FieldSweepRowNMR = 0;
constexpr int FieldSweepRowESR = 1;

// Modulation amplitude in Gs of a position 1..12.
float ModAmpValue(int i);
// Field sweep range in Gs of a row and a position (NMR 1..10, ESR 1..8).
float FieldSweepRangeValue(int row, int i);
// Limits of the field sweep range arrow in mode m.
int FieldSweepRangeMin(int m);
int FieldSweepRangeMax(int m);
// Frequency sweep range in kHz of a position 1..9.
int FreqSweepRangeValue(int i);

// Field source texts, codes 0..5 ("Electromagnet", ...; 0 is the empty text).
QString MagnetTexts(int code);
// Index 0 frequency sweep, 1 field sweep: "Frequency"/"Field", "F"/"B".
QString SweepTypeNames(int i);
QString AxisLetters(int i);
// 0 "kHz", 1 "Gs", 2 "mT".
QString UnitNames(int i);

// Captions. The degree sign is U+00B0.
QString FormatPhase(int p);                       // "%7.1n °" of p x 1.5
QString FormatInteger(int n);                     // "%d"
QString FormatModAmp(int i);                      // "%3.2n Gs" of ModAmpValue(i)
QString FormatGauss(float v);                     // "%4g Gs"
QString FormatFieldSweepRange(int row, int i);    // FormatGauss of the table value
QString FormatKHz(int n);                         // "%4d kHz"
QString FormatFreqSweepRange(int i);              // FormatKHz of the table value
QString FormatSweepTime(int p);                   // 2^(p-1) x 0.5 min, p 1..7: "%4g min"
int SweepTimeSeconds(int p);                      // the same sweep time in seconds
QString FormatB0(int m, bool inGauss, int p);     // "%6.2n Gs" of B0, or "%6.3n mT" of B0 x 0.1
QString FormatB0Step(int m, int n);               // "%6.2n Gs" of k[m] x n
QString FormatFrequency(int m, int p);            // "%6.1n kHz" of the frequency
QString FormatFrequencyStep(int d);               // "%6.1n kHz" of the step
