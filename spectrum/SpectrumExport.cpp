#include "SpectrumExport.h"

#include "Bes3tFile.h"
#include "EspFile.h"
#include "Errors.h"
#include "JcampDx.h"
#include "WholeFile.h"

#include <QDir>
#include <QFileInfo>
#include <utility>

namespace {

// Every file a spectrum was read from, as absolute paths of existing files.
QStringList SourceFiles(const QString& sourcePath, TSpectrumFormat format)
{
    QStringList paths{sourcePath};
    if (format == TSpectrumFormat::Bes3t) {
        const TBes3tPaths pair = Bes3tPaths(sourcePath);
        paths << pair.Dsc << pair.Dta;
    } else if (format == TSpectrumFormat::Esp) {
        const TEspPaths pair = EspPaths(sourcePath);
        paths << pair.Par << pair.Spc;
    }
    QStringList files;
    for (const QString& f : paths)
        if (const QString canonical = QFileInfo(f).canonicalFilePath(); !canonical.isEmpty())
            files << canonical;
    return files;
}

} // namespace

void RefuseReplacingSource(const QString& target, const QString& sourcePath, TSpectrumFormat format)
{
    const QString canonical = QFileInfo(target).canonicalFilePath();
    if (!canonical.isEmpty() && SourceFiles(sourcePath, format).contains(canonical))
        throw EFileError(QStringLiteral("The export \"%1\" would replace the file the spectrum was read from; "
                                        "choose another folder or name.").arg(QDir::toNativeSeparators(target)));
}

QString ExportFormatName(TExportFormat format)
{
    switch (format) {
    case TExportFormat::Bes3t: return QStringLiteral("bes3t");
    case TExportFormat::JcampAffn: return QStringLiteral("jcamp");
    case TExportFormat::JcampDifDup: return QStringLiteral("jcamp-dif");
    }
    return {};
}

std::optional<TExportFormat> ExportFormatFromName(const QString& name)
{
    for (const TExportFormat f : ExportFormats)
        if (name.compare(ExportFormatName(f), Qt::CaseInsensitive) == 0)
            return f;
    return std::nullopt;
}

QString ExportFormatCaption(TExportFormat format)
{
    switch (format) {
    case TExportFormat::Bes3t: return QStringLiteral("BES3T (.DSC, .DTA)");
    case TExportFormat::JcampAffn: return QStringLiteral("JCAMP-DX, plain numbers (.jdx)");
    case TExportFormat::JcampDifDup: return QStringLiteral("JCAMP-DX, compressed DIF/DUP (.jdx)");
    }
    return {};
}

QString ExportAsPath(const QString& folder, const QString& sourcePath, TExportFormat format)
{
    return QDir(folder).filePath(QFileInfo(sourcePath).completeBaseName() +
                                 (format == TExportFormat::Bes3t ? QStringLiteral(".DSC") : QStringLiteral(".jdx")));
}

QStringList ExportSpectrum(const QString& path, TExportFormat format, const TSpectrum& spectrum,
                           const QString& sourcePath)
{
    std::vector<std::pair<QString, QByteArray>> files;
    if (format == TExportFormat::Bes3t) {
        const QFileInfo info(path);
        const QString base = info.path() + QLatin1Char('/') + info.completeBaseName();
        TBes3tBytes bytes = Bes3tBytes(spectrum);
        files = {{base + QStringLiteral(".DTA"), std::move(bytes.Dta)}, {base + QStringLiteral(".DSC"), std::move(bytes.Dsc)}};
    } else {
        files = {{path, JcampDxBytes(spectrum, format == TExportFormat::JcampDifDup ? TJcampForm::DifDup : TJcampForm::Affn)}};
    }
    for (const auto& [file, bytes] : files)
        RefuseReplacingSource(file, sourcePath, spectrum.Format);
    QStringList written;
    for (const auto& [file, bytes] : files) {
        QString error;
        if (!WriteWholeFile(file, bytes, &error))
            throw EFileError(QStringLiteral("Cannot write the file \"%1\": %2").arg(QDir::toNativeSeparators(file), error));
        written << file;
    }
    return written;
}
