#pragma once
// JCAMP-DX spectra (4.24, 5.01, 6). Read: the first block that holds a
// spectrum, ##XYDATA=(X++(Y..Y)) in any ASDF form or ##XYPOINTS=(XY..XY) of
// evenly spaced x, scaled by ##XFACTOR and ##YFACTOR and checked against
// ##FIRSTX, ##LASTX and ##NPOINTS; x in a field (GAUSS, MT, T) or a frequency
// (HZ, KHZ, MHZ, GHZ, or PPM of ##.OBSERVE FREQUENCY); the spectrometer
// frequency ##.OBSERVE FREQUENCY (MHz); the mode from ##DATA TYPE and
// ##.OBSERVE NUCLEUS. Peak tables, ##NTUPLES and other x units are refused.
// Written: AFFN or DIF/DUP with the header values of the program's spectra,
// those without a standard label as ##$MERIL ... labels, which are read back.

#include "DataFile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

TSpectrum ParseJcampDx(QByteArrayView bytes, const QString& file);
TSpectrum ReadJcampDxFile(const QString& path);

enum class TJcampForm { Affn, DifDup };
QByteArray JcampDxBytes(const TSpectrum& spectrum, TJcampForm form);
