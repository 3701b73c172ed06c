#pragma once
// BES3T spectra: a descriptor (.DSC, "KEY value" lines) and the data (.DTA,
// the values alone). Read: real one-dimensional sweeps of the field or of a
// frequency, the byte order (BSEQ) and number format (IRFMT) as the
// descriptor says, the axis from XPTS, XMIN, XWID and XUNI; the frequency
// (MWFQ), modulation (B0MA or ModAmp, peak to peak), scans (NbScansDone or
// AVGS), gain, phase, sweep time and comment as far as given. Two- and
// three-dimensional, complex and non-uniform data are refused. Written: the
// values as big-endian doubles, the axis and those keys, and the program's
// own texts of mode, gain, phase and sweep time in a device block "meril".

#include "DataFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// dscFile and dtaFile name the two files in refusals.
TSpectrum ParseBes3t(QByteArrayView dsc, QByteArrayView dta, const QString& dscFile, const QString& dtaFile);

// The descriptor and data file of a pair: the same name with the other
// extension, in the case the partner has on disk (.DSC/.dsc, .DTA/.dta).
struct TBes3tPaths {
    QString Dsc, Dta;
};
TBes3tPaths Bes3tPaths(const QString& eitherFile);

// Reads the pair of either file.
TSpectrum ReadBes3tFile(const QString& path);

struct TBes3tBytes {
    QByteArray Dsc, Dta;
};
TBes3tBytes Bes3tBytes(const TSpectrum& spectrum);
