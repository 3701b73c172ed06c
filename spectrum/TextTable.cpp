#include "TextTable.h"

#include "Errors.h"
#include "LineView.h"
#include "NumFormat.h"
#include "WholeFile.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

TTableDecimals TextTableDecimals(double xStep, const TYScale& scale)
{
    if (scale.Clipped)
        return {};
    const int x = xStep > 0 ? int(std::ceil(-std::log10(xStep))) + 1 : 2;
    return {std::max(2, x), scale.Decimals() + 2};
}

QByteArray TextTableBytes(std::span<const double> x, std::span<const double> y, TTableDecimals decimals)
{
    const QString format = QStringLiteral("%8.%1f%22.%2f").arg(decimals.X).arg(decimals.Y);
    QByteArray bytes;
    bytes.reserve(qsizetype(y.size()) * 32 + 2);
    for (size_t i = 0; i < y.size(); ++i) {
        bytes += Format(format, {x[i], y[i]}).toLatin1();
        bytes += "\r\n";
    }
    bytes += "\r\n";
    return bytes;
}

void WriteTextTable(const QString& path, std::span<const double> x, std::span<const double> y, TTableDecimals decimals)
{
    if (y.size() > size_t(MaxProcessedPoints))
        CheckProcessable((long long)y.size());
    QString error;
    if (!WriteWholeFile(path, TextTableBytes(x, y, decimals), &error))
        throw EFileError(QStringLiteral("Cannot write the file \"%1\": %2").arg(QDir::toNativeSeparators(path), error));
}

QString ExportFileName(const QString& spectrumPath)
{
    const QString name = QFileInfo(spectrumPath).fileName();
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return (dot < 0 ? QString() : name.left(dot + 1)) + QStringLiteral("txt");
}

QString ExportPath(const QString& outputDir, const QString& spectrumPath)
{
    return QDir(outputDir).filePath(ExportFileName(spectrumPath));
}
