#pragma once
// The spectrum data file (.dcw): a version byte, the header of experiment
// settings as the operator saw them, then the accumulated sums of one sweep as
// 32-bit little-endian integers. Version 11 is written; versions 10 (header
// without the mode text) and 11 are read. Texts are Windows-1252 short
// strings (a length byte, then the characters), cut to their maximum when
// written.

#include "Errors.h"
#include "YScale.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QPointF>
#include <QString>
#include <cstdint>
#include <span>
#include <vector>

// Texts of the header in the program's Unicode; the numbers as stored.
struct TDataHeader {
    QString Comment;    // at most 255 characters
    QString Frequency;  // at most 20, as shown: "14 000.0 kHz"
    QString B0;         // at most 20: "3 288.2 Gs"
    uint8_t SweepTp = 0;  // 0 frequency sweep, 1 field sweep
    float SweepR = 0;     // full sweep width: Gs for a field sweep, kHz for a frequency sweep
    QString ModAmp;     // at most 20: "0.025 Gs"
    QString SweepTime;  // at most 20: "0.5 min"
    QString Gain;       // at most 20: "60"
    QString Phase;      // at most 20: "180°"
    QString Acc;        // at most 3: number of accumulations as decimal digits
    QString Resonance;  // at most 20: caption of the mode button, "NMR 1H &&19F" with both ampersands
    bool operator==(const TDataHeader&) const = default;
};

inline constexpr uint8_t DataFileVersion = 11;
inline constexpr int HeaderSizeV10 = 400;
inline constexpr int HeaderSizeV11 = 424;
// Files of more points are refused rather than read into memory.
inline constexpr qsizetype MaxSpectrumPoints = qsizetype(1) << 24;
// Sweep ranges (Gs or kHz) an instrument can sweep; others mark a damaged file.
inline constexpr double MinSweepRange = 0.001;
inline constexpr double MaxSweepRange = 100000;

// The reader clips every mean value to +-SpectrumLimit, the range of the
// processing charts.
inline constexpr int SpectrumLimit = 500;

// The Acc field holds three digits: a sum of more passes cannot be stored.
inline constexpr int MaxStoredAcc = 999;
// "A spectrum file holds a sum of at most 999 passes, not 1000."
QString TooManyPassesText(int count);

// x of point i on a spectrum's grid: centred on 0, `step` = range / (N - 1).
inline double GridX(long double range, double step, qsizetype i)
{
    return double(-range / 2 + i * (long double)step);
}

// The file formats a spectrum is read from: the program's own and those of
// other programs (spectrum/SpectrumFiles.h recognises them).
enum class TSpectrumFormat { Dcw, Bes3t, Esp, JcampDx, Text };

// What a file of another program did not tell: the window asks for it,
// meril-proc takes it as options. The mode follows the frequency when the
// file names none.
struct TNotInFile {
    bool Frequency = false;
    bool ModAmp = false;
    bool Mode = false;
    bool Any() const { return Frequency || ModAmp; }
};

// A spectrum as read: header, the numbers later operations need, and the
// points centred on x = 0. From a .dcw file y is the mean per pass clipped
// to +-500; from another program's file y keeps that file's values.
struct TSpectrum {
    int Version = DataFileVersion;  // 10 or 11 for a .dcw file, 0 for the others
    TSpectrumFormat Format = TSpectrumFormat::Dcw;
    TDataHeader Header;
    int Acc = 1;
    long double ModAmp = 0;     // Gs, parsed from Header.ModAmp, rounded to Real48
    long double Frequency = 0;  // kHz, parsed from Header.Frequency, rounded to Real48
    long double B0 = 0;         // Gs, parsed from Header.B0, rounded to Real48
    // The modulation amplitude the line-shape fit may use (Gs): ModAmp, or 0
    // when the ModAmp text is negative or absurd (wider than the sweep, in x
    // units); FitModAmpWarning then says so and that the fit leaves it out.
    double FitModAmp = 0;
    QString FitModAmpWarning;
    double SweepRange = 0;      // full x width, Gs or kHz: Header.SweepR without its float rounding
    double XStep = 0;           // SweepRange / (N - 1)
    TYScale YScale;             // the +-500 counts of a .dcw file, or the imported file's scale
    TNotInFile NotInFile;
    std::vector<QPointF> Points;
    std::vector<int32_t> Sums;  // the stored sums of a .dcw file, as written
};

// Sets the modulation the fit may use from ModAmp: a negative amplitude, or
// one wider than the whole sweep, is no modulation the instrument made; the
// fit leaves it out and FitModAmpWarning says so.
void CheckFitModAmp(TSpectrum& s);

// The folder of the file to write does not exist; nothing was written.
class EPathNotFound : public EFileError {
public:
    EPathNotFound() : EFileError(QStringLiteral("Path not found !")) {}
};

// The file could not be opened or read; the text gives the system's reason.
class EFileUnreadable : public EFileError {
public:
    using EFileError::EFileError;
};

// The first byte is not a known version; nothing was read.
class EFileFormatError : public EFileError {
public:
    EFileFormatError() : EFileError(QStringLiteral("file format error")) {}
};

// The window measures the g-factor instead of the moments when the mode text
// is exactly "ESR".
bool IsEsrSpectrum(const TDataHeader& header);
// x units per Gs: 1 for a field sweep; for a frequency sweep the gyromagnetic
// ratio (kHz/Gs) of the mode's nucleus (1H for "NMR 1H &&19F").
double XUnitsPerGauss(const TDataHeader& header);
// x of point `index` of `count` over a sweep of that width: the offset from
// the sweep's centre, -range/2 at the first point and +range/2 at the last.
double SpectrumPointX(float sweepRange, int count, int index);

// The bytes of a version 11 file. Reserved and padding bytes and the unused
// tails of the texts are zero.
QByteArray SpectrumFileBytes(const TDataHeader& header, std::span<const int32_t> sums);

// Writes a version 11 file, replacing an existing one only once the new one is
// complete. Throws EPathNotFound when the folder does not exist, EFileError
// when the file cannot be written (an existing file then stays as it was) or
// when Acc does not fit its three digits (nothing is written).
void WriteSpectrumFile(const QString& path, const TDataHeader& header, std::span<const int32_t> sums);

// Decodes the bytes of a spectrum file. Throws EFileFormatError for an unknown
// version; EFileError for a file that ends inside its header, an Acc that is
// not a whole number from 1, a sweep range outside MinSweepRange..MaxSweepRange,
// fewer than two points or more than MaxSpectrumPoints; EConvertError naming
// the field and its text when ModAmp, Frequency or B0 hold no usable number.
TSpectrum ParseSpectrum(QByteArrayView bytes);

// Reads and decodes a spectrum file; EFileUnreadable when it cannot be read.
TSpectrum ReadSpectrumFile(const QString& path);
