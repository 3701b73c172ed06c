#pragma once
// What the readers of other programs' spectrum files share: the refusal that
// names the file and the key, the units of their axes, and the building of
// the program's spectrum from what a reader found. An imported spectrum keeps
// its values (no +-500 clip); its x is centred on the sweep's middle like a
// .dcw file's, B0 (field sweep) or the frequency (frequency sweep) being
// that middle.

#include "DataFile.h"
#include "MeasurementChecks.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

// Throws EFileError: "Cannot read the spectrum "<file name>": <reason>".
[[noreturn]] void RefuseSpectrum(const QString& file, const QString& reason);

// The file beside `file` with the same name and this extension, in the case
// that exists on disk (as given when both or neither do): the partner of a
// BES3T or ESP pair.
QString PartnerFile(const QString& file, const char* extension);

// The whole file, refused when it holds more than maxBytes (no file of its
// kind is that large), so nothing larger is read into memory.
QByteArray ReadSpectrumBytes(const QString& path, qint64 maxBytes);

// The line of `bytes` that begins at `start`, which moves to the next one.
// Lines end in LF, CR LF or CR alone (older files).
QByteArrayView NextLine(QByteArrayView bytes, qsizetype& start);

// 10 to a power: the step of a number's last digit (a table for the usual
// powers; the readers need one for every number they read).
double PowerOfTen(int exponent);

// An axis unit of a file: a field turned into Gs, or a frequency into kHz.
struct TAxisUnit {
    bool Field = true;
    double Factor = 1;
};
// G, Gs, gauss, mT, T, Hz, kHz, MHz, GHz in any case; nullopt for others.
std::optional<TAxisUnit> AxisUnitOf(const QString& unit);

// A frequency in kHz from "9.5 GHz", "9.5GHz" or "14000" (kHz when no unit);
// nullopt unless a number above 0 with one of the units above.
std::optional<double> FrequencyKHzOf(const QString& text);
// A field in Gs from "1.2 G", "0.12 mT" or "1.2" (Gs when no unit); nullopt
// unless a number of 0 or more with a field unit.
std::optional<double> FieldGsOf(const QString& text);

// What a reader found, in the program's units.
struct TImportedSpectrum {
    QString File;                        // named in refusals
    TSpectrumFormat Format = TSpectrumFormat::Text;
    std::vector<double> Y;               // in file order, from XFirst to XLast
    double XFirst = 0, XLast = 0;        // x of the first and the last point, Gs or kHz, from XOrigin
    double XOrigin = 0;                  // where x counts from (0: x is absolute)
    bool FieldSweep = true;
    QString RangeKey;                    // the keys of the x range, for refusals
    double Quantum = 0;                  // step of the stored values
    std::optional<double> FrequencyKHz;  // field sweep: the spectrometer frequency
    std::optional<double> FieldGs;       // frequency sweep: the static field
    std::optional<double> ModAmpPeakToPeakGs;
    std::optional<long long> Scans;
    QString Resonance;                   // "ESR", "NMR 1H", ...; empty: from the frequency
    QString Comment, SweepTime, Gain, Phase;
    // The program's own texts of B0, frequency and modulation when the file
    // keeps them (files this program wrote); otherwise they are formatted.
    QString B0Text, FrequencyText, ModAmpText;
    // The y scale when the file keeps it (a .dcw spectrum's +-500 clip goes
    // along through files this program wrote) and it holds every value;
    // otherwise from the values.
    std::optional<TYScale> Scale;
};

// The y scale as this program's writers keep it: limit, clipped (1 or 0),
// step. Nullopt unless all three are given and sound.
std::optional<TYScale> KeptYScale(std::optional<double> limit, std::optional<double> clipped,
                                  std::optional<double> step);

// Checks what was found (at least 2 and at most MaxSpectrumPoints points,
// every y finite and within +-1e20, a sweep width within MinSweepRange ..
// MaxSweepRange) and builds the spectrum. Points go from low to high x.
TSpectrum SpectrumFromImport(TImportedSpectrum found);

// Completes what the file did not tell: the frequency in kHz and the
// peak-to-peak modulation amplitude in Gs (the program keeps its half, the
// peak amplitude). The mode follows the frequency when the file named none.
void SupplyNotInFile(TSpectrum& spectrum, std::optional<double> frequencyKHz,
                     std::optional<double> modAmpPeakToPeakGs);

// The warning "not_in_file" for what is still missing, ending in how to give
// it (the options of meril-proc, or what the window offers); none when
// nothing is missing.
std::optional<TMeasurementWarning> NotInFileWarning(const TNotInFile& missing, const QString& howToGive);
