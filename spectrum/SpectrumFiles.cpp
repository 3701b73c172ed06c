#include "SpectrumFiles.h"

#include "Bes3tFile.h"
#include "EspFile.h"
#include "ImportedSpectrum.h"
#include "JcampDx.h"
#include "TextSpectrum.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

constexpr qint64 HeadBytes = 1024;

bool IsOneOf(const QString& suffix, std::initializer_list<const char*> suffixes)
{
    return std::any_of(suffixes.begin(), suffixes.end(), [&](const char* s) { return suffix == QLatin1String(s); });
}

// ESP parameters: "KEY value" lines with the point count and the field.
bool LooksLikeEspParameters(QByteArrayView head)
{
    const auto line = [&](const char* key) {
        return head.startsWith(key) || head.contains(QByteArray("\r") + key) || head.contains(QByteArray("\n") + key);
    };
    return (line("ANZ ") || line("RES ")) && (line("HCF ") || line("GST ") || line("MF "));
}

// Text holds no control characters but line ends and tabs.
bool IsText(QByteArrayView head)
{
    return std::none_of(head.begin(), head.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 && u != '\n' && u != '\r' && u != '\t';
    });
}

} // namespace

QString FormatName(TSpectrumFormat format)
{
    switch (format) {
    case TSpectrumFormat::Dcw: return QStringLiteral("dcw");
    case TSpectrumFormat::Bes3t: return QStringLiteral("BES3T");
    case TSpectrumFormat::Esp: return QStringLiteral("ESP");
    case TSpectrumFormat::JcampDx: return QStringLiteral("JCAMP-DX");
    case TSpectrumFormat::Text: return QStringLiteral("text");
    }
    return {};
}

TSpectrumFormat RecogniseSpectrumFormat(const QString& path, QByteArrayView head)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("dcw"))
        return TSpectrumFormat::Dcw;
    if (head.startsWith("#DESC") || suffix == QLatin1String("dsc") ||
        (suffix == QLatin1String("dta") && QFileInfo::exists(Bes3tPaths(path).Dsc)))
        return TSpectrumFormat::Bes3t;
    if (head.trimmed().startsWith("##") || IsOneOf(suffix, {"jdx", "dx", "jcamp", "jcm"}))
        return TSpectrumFormat::JcampDx;
    if (IsOneOf(suffix, {"par", "spc"}) || LooksLikeEspParameters(head))
        return TSpectrumFormat::Esp;
    // A version byte of 10 or 11 followed by a binary header.
    if (!head.isEmpty() && (head[0] == 10 || head[0] == 11) && !IsText(head))
        return TSpectrumFormat::Dcw;
    if (!head.isEmpty() && IsText(head))
        return TSpectrumFormat::Text;
    RefuseSpectrum(path, QStringLiteral("its format is none of those read: Meril .dcw, BES3T (.DSC and .DTA), ESP "
                                        "(.par and .spc), JCAMP-DX, two-column text."));
}

TSpectrum ReadAnySpectrumFile(const QString& path)
{
    QByteArray head;
    if (QFileInfo(path).suffix().compare(QLatin1String("dcw"), Qt::CaseInsensitive) != 0) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            RefuseSpectrum(path, file.errorString());
        head = file.read(HeadBytes);
    }
    switch (RecogniseSpectrumFormat(path, head)) {
    case TSpectrumFormat::Dcw: return ReadSpectrumFile(path);
    case TSpectrumFormat::Bes3t: return ReadBes3tFile(path);
    case TSpectrumFormat::Esp: return ReadEspFile(path);
    case TSpectrumFormat::JcampDx: return ReadJcampDxFile(path);
    case TSpectrumFormat::Text: return ReadTextSpectrumFile(path);
    }
    return {};
}

bool HasSpectrumExtension(const QString& path)
{
    return IsOneOf(QFileInfo(path).suffix().toLower(),
                   {"dcw", "dsc", "dta", "par", "spc", "jdx", "dx", "jcamp", "jcm", "txt", "csv", "dat", "asc"});
}

QString SpectrumOpenFilter()
{
    const char* const formats[][2] = {
        {"BES3T", "*.DSC *.dsc *.DTA *.dta"},
        {"ESP, WinEPR", "*.par *.PAR *.spc *.SPC"},
        {"JCAMP-DX", "*.jdx *.JDX *.dx *.DX *.jcamp"},
        {"Text", "*.txt *.csv *.dat *.asc"}};
    QStringList all{QStringLiteral("*.dcw")}, entries;
    for (const auto& [name, patterns] : formats) {
        all << QLatin1String(patterns);
        entries << QStringLiteral("%1 (%2)|%2").arg(QLatin1String(name), QLatin1String(patterns));
    }
    return QStringLiteral("Meril data file (*.dcw)|*.dcw|All spectra (%1)|%1|").arg(all.join(QLatin1Char(' '))) +
           entries.join(QLatin1Char('|')) + QStringLiteral("|All files (*)|*");
}
