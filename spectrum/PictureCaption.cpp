#include "PictureCaption.h"

#include "NumFormat.h"

#include <QFileInfo>

namespace {
constexpr int ValuesPerLine = 4;
const QString Gap = QStringLiteral("    ");
}

QString ModeText(const TDataHeader& header)
{
    return QString(header.Resonance).replace(QLatin1String("&&"), QLatin1String("&"));
}

QString SweepKindText(const TDataHeader& header)
{
    return header.SweepTp == 0 ? QStringLiteral("Frequency") : header.SweepTp == 1 ? QStringLiteral("Field") : QString();
}

QString SweepRangeText(const TSpectrum& spectrum)
{
    // The double range: the header's float for a .dcw file, exact for others.
    const double range = spectrum.SweepRange;
    return spectrum.Header.SweepTp == 1 ? Format(QStringLiteral("%4g Gs"), {range})
                                        : Format(QStringLiteral("%4d kHz"), {int(RoundHalfEven(range))});
}

QStringList PictureCaption(const QString& fileName, const TSpectrum& spectrum, const std::vector<TShownValue>& shown,
                           const QStringList& extraLines)
{
    const TDataHeader& header = spectrum.Header;
    QStringList lines;
    lines << QFileInfo(fileName).fileName() + Gap + ModeText(header);
    lines << QStringLiteral("B0 ") + header.B0 + Gap + QStringLiteral("Frequency ") + header.Frequency + Gap +
                 QStringLiteral("2nd Mod Amplit ") + header.ModAmp;
    lines << QStringLiteral("Sweep ") + SweepKindText(header) + QLatin1Char(' ') + SweepRangeText(spectrum).trimmed() +
                 QStringLiteral(", ") + header.SweepTime + Gap + QStringLiteral("Acc ") + header.Acc;
    QStringList values;
    for (const TShownValue& v : shown) {
        if (v.Value.trimmed().isEmpty())
            continue;
        values << v.Caption.trimmed() + QLatin1Char(' ') + v.Value.trimmed();
        if (values.size() == ValuesPerLine) {
            lines << values.join(Gap);
            values.clear();
        }
    }
    if (!values.isEmpty())
        lines << values.join(Gap);
    return lines + extraLines;
}
