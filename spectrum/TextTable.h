#pragma once
// The text export of a loaded spectrum: one line per point, x in "%8.2f" and
// y in "%22.2f", CR LF line ends, then one empty line. A spectrum read from
// another program's file gets the decimals its step and values need.

#include "YScale.h"

#include <QByteArray>
#include <QString>
#include <span>

// Decimals of the x and y columns.
struct TTableDecimals {
    int X = 2;
    int Y = 2;
};
// 2 and 2 for a .dcw spectrum (values clipped to the axis); otherwise at
// least 2, enough to tell neighbouring x apart and to show a count of y.
TTableDecimals TextTableDecimals(double xStep, const TYScale& scale);

// The bytes of the table.
QByteArray TextTableBytes(std::span<const double> x, std::span<const double> y, TTableDecimals decimals = {});

// Writes the table through a whole-file write, so a failed export leaves an
// older file of that name intact. Throws EFileError naming the file and the
// reason; EMerilError for a spectrum of more than 65535 points.
void WriteTextTable(const QString& path, std::span<const double> x, std::span<const double> y,
                    TTableDecimals decimals = {});

// The export name of a spectrum file: its name without folder, cut after the
// first dot (the dot stays), then "txt": "sample.dcw" gives "sample.txt",
// "run.2.dcw" "run.txt", a name without a dot "txt".
QString ExportFileName(const QString& spectrumPath);
// The export file in the output folder.
QString ExportPath(const QString& outputDir, const QString& spectrumPath);
