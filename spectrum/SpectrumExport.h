#pragma once
// A spectrum written for other programs: BES3T (.DSC and .DTA) or JCAMP-DX
// (.jdx, AFFN or DIF/DUP), from any spectrum the program holds.

#include "DataFile.h"

#include <QString>
#include <QStringList>
#include <optional>

enum class TExportFormat { Bes3t, JcampAffn, JcampDifDup };

inline constexpr TExportFormat ExportFormats[] = {TExportFormat::Bes3t, TExportFormat::JcampAffn,
                                                  TExportFormat::JcampDifDup};

// On the command line: "bes3t", "jcamp", "jcamp-dif".
QString ExportFormatName(TExportFormat format);
std::optional<TExportFormat> ExportFormatFromName(const QString& name);
// In the window: "BES3T (.DSC, .DTA)", ...
QString ExportFormatCaption(TExportFormat format);

// The file to write in `folder` for a spectrum read from `sourcePath`: its
// name without extension, then ".DSC" or ".jdx".
QString ExportAsPath(const QString& folder, const QString& sourcePath, TExportFormat format);

// Throws EFileError when writing `target` would replace the file a spectrum
// of `format` was read from, `sourcePath` (both files of a BES3T or ESP pair):
// a text spectrum exported as text into its own folder, for instance.
void RefuseReplacingSource(const QString& target, const QString& sourcePath, TSpectrumFormat format);

// Writes the spectrum (for BES3T the .DTA, then the .DSC beside it; each file
// replaced only once complete) and returns the paths written. EFileError
// when a file cannot be written, or when it would replace the file the
// spectrum was read from, `sourcePath` (both files of a BES3T or ESP pair).
QStringList ExportSpectrum(const QString& path, TExportFormat format, const TSpectrum& spectrum,
                           const QString& sourcePath);
