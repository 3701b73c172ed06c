#pragma once
// Spectrum files of every format the program reads: recognised in one place
// by their content, with the extension to decide what the content alone
// cannot (a .dcw file has no magic number), and read into the one spectrum
// the processing window and meril-proc use.

#include "DataFile.h"

#include <QByteArrayView>
#include <QString>

// "dcw", "BES3T", "ESP", "JCAMP-DX", "text".
QString FormatName(TSpectrumFormat format);

// The format of a file from its path and its first bytes (at least the first
// 512 when the file has them). EFileError when it is none of them.
TSpectrumFormat RecogniseSpectrumFormat(const QString& path, QByteArrayView head);

// Reads a spectrum file of any format: a .dcw file exactly as the .dcw reader
// does, the others as their readers do (either file of a BES3T or ESP pair).
TSpectrum ReadAnySpectrumFile(const QString& path);

// Whether a dropped file's name is that of a spectrum file.
bool HasSpectrumExtension(const QString& path);

// The filter of the open dialog: the program's own files first, then every
// spectrum, each format, and all files.
QString SpectrumOpenFilter();
