#pragma once
// ESP and WinEPR spectra: a parameter file (.par, "KEY value" lines) and the
// data (.spc, the values alone). Read: one-dimensional field sweeps; ANZ or
// RES points of 32 bits, little-endian when the parameters hold "DOS Format"
// and big-endian otherwise, floats unless the extremes MIN and MAX show
// whole numbers (older files); the axis from GST and GSI (or HCF and HSW) in
// JUN units (G when none); the frequency MF (GHz), the modulation RMA (G,
// peak to peak), the scans JSD, the gain RRG and the comment JCO.

#include "DataFile.h"

#include <QByteArrayView>
#include <QString>

TSpectrum ParseEsp(QByteArrayView par, QByteArrayView spc, const QString& parFile, const QString& spcFile);

struct TEspPaths {
    QString Par, Spc;
};
// The parameter and data file of a pair (.par/.PAR, .spc/.SPC as on disk).
TEspPaths EspPaths(const QString& eitherFile);

TSpectrum ReadEspFile(const QString& path);
