#pragma once
// Two-column text spectra (x, y), as other programs export them: header
// lines first (what precedes the first line of numbers), then one point a
// line. Columns are separated by blanks, tabs, commas or semicolons; the
// decimal separator is a point, or a comma where the columns are not
// separated by commas. A first column that counts the points (0 or 1, 2,
// 3, ...) is skipped. x must be evenly spaced, rising or falling. Its unit
// comes from the header ([G], [mT], [T], [Hz], [kHz], [MHz], [GHz]; G when
// none is named). Lines starting with #, % or ! are comments.

#include "DataFile.h"

#include <QByteArrayView>
#include <QString>

TSpectrum ParseTextSpectrum(QByteArrayView bytes, const QString& file);
TSpectrum ReadTextSpectrumFile(const QString& path);
