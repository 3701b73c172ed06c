// The JCAMP-DX writer: the spectrum as the program holds it, x the field
// B0 + x in GAUSS, or for a frequency sweep x in HZ from the frequency given
// as ##.OBSERVE FREQUENCY (as NMR spectra are written); the values as whole
// numbers of YFACTOR; the program's texts in <> so that their blanks stay.

#include "JcampDx.h"

#include "Cp1252.h"
#include "JcampDxTable.h"

#include <QLocale>
#include <QStringList>
#include <cmath>

namespace {

QString Number(double v)
{
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

// 1 when every value is a whole number of 32 bits (a .dcw spectrum); else the
// power of ten that writes the largest value with nine digits.
double YFactorOf(const std::vector<QPointF>& points)
{
    double high = 0;
    bool whole = true;
    for (const QPointF& p : points) {
        high = std::max(high, std::abs(p.y()));
        whole = whole && p.y() == std::floor(p.y());
    }
    if ((whole && high < 2147483648.0) || high == 0)
        return 1;
    return std::pow(10.0, std::floor(std::log10(high)) - 8);
}

QString OneLine(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

} // namespace

QByteArray JcampDxBytes(const TSpectrum& s, TJcampForm form)
{
    const TDataHeader& h = s.Header;
    const bool field = h.SweepTp != 0;
    const bool esr = h.Resonance == QLatin1String("ESR");
    const double toFile = field ? 1 : 1e3;   // GAUSS, or kHz to HZ
    const double centre = field ? double(s.B0) : 0;
    const double firstX = (centre - s.SweepRange / 2) * toFile, lastX = (centre + s.SweepRange / 2) * toFile;
    const size_t n = s.Points.size();
    const double yFactor = YFactorOf(s.Points);
    std::vector<long long> y(n);
    for (size_t i = 0; i < n; ++i)
        y[i] = std::llround(s.Points[i].y() / yFactor);

    QStringList lines{QStringLiteral("##TITLE=") + OneLine(h.Comment), QStringLiteral("##JCAMP-DX=5.01"),
                      QStringLiteral("##DATA TYPE=") + (esr ? QStringLiteral("ESR SPECTRUM") : QStringLiteral("NMR SPECTRUM")),
                      QStringLiteral("##DATA CLASS=XYDATA"), QStringLiteral("##ORIGIN=Meril"), QStringLiteral("##OWNER="),
                      QStringLiteral("##SPECTROMETER/DATA SYSTEM=Meril CW NMR/ESR spectrometer")};
    if (!field || !s.NotInFile.Frequency)
        lines << QStringLiteral("##.OBSERVE FREQUENCY=") + Number(double(s.Frequency) / 1e3);
    if (h.Resonance.startsWith(QLatin1String("NMR 1H")))
        lines << QStringLiteral("##.OBSERVE NUCLEUS=^1H");
    else if (h.Resonance == QLatin1String("NMR 19F"))
        lines << QStringLiteral("##.OBSERVE NUCLEUS=^19F");
    for (const auto& [label, text] : {std::pair{"MODE", h.Resonance}, {"FREQUENCY", h.Frequency}, {"B0", h.B0},
                                      {"MODAMP", h.ModAmp}, {"SWEEP TIME", h.SweepTime}, {"GAIN", h.Gain},
                                      {"PHASE", h.Phase}, {"ACC", h.Acc}})
        if (!text.isEmpty())
            lines << QStringLiteral("##$MERIL %1=<%2>").arg(QLatin1String(label), OneLine(text));
    // The y scale, so that a .dcw spectrum's +-500 clip goes along.
    lines << QStringLiteral("##$MERIL Y LIMIT=") + Number(s.YScale.Limit)
          << QStringLiteral("##$MERIL Y CLIPPED=%1").arg(s.YScale.Clipped ? 1 : 0)
          << QStringLiteral("##$MERIL Y STEP=") + Number(s.YScale.Quantum);
    lines << (field ? QStringLiteral("##XUNITS=GAUSS") : QStringLiteral("##XUNITS=HZ"))
          << QStringLiteral("##YUNITS=ARBITRARY UNITS") << QStringLiteral("##XFACTOR=1")
          << QStringLiteral("##YFACTOR=") + Number(yFactor) << QStringLiteral("##FIRSTX=") + Number(firstX)
          << QStringLiteral("##LASTX=") + Number(lastX)
          << QStringLiteral("##DELTAX=") + Number((lastX - firstX) / double(n - 1))
          << QStringLiteral("##NPOINTS=%1").arg(n) << QStringLiteral("##FIRSTY=") + Number(double(y.front()) * yFactor)
          << QStringLiteral("##XYDATA=(X++(Y..Y))");
    QByteArray bytes = ToCp1252(lines.join(QStringLiteral("\r\n"))) + "\r\n";
    bytes += EncodeXyData(y, firstX, (lastX - firstX) / double(n - 1), form == TJcampForm::DifDup);
    bytes += "##END=\r\n";
    return bytes;
}
