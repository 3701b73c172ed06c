#include "Bes3tFile.h"

#include "Cp1252.h"
#include "Errors.h"
#include "ImportedSpectrum.h"
#include "KeyValueText.h"

#include <QLocale>
#include <QtEndian>
#include <cstring>

namespace {

// Descriptors are a few kilobytes; a larger file is no descriptor.
constexpr qint64 MaxDescriptorBytes = 1 << 20;

// The size of one value of each number format, and the bits of a float's significand.
struct TItemFormat {
    char Code;
    int Size;
    int FloatBits;   // 0 for whole numbers
};
constexpr TItemFormat ItemFormats[] = {{'D', 8, 53}, {'F', 4, 24}, {'I', 4, 0}, {'S', 2, 0}, {'C', 1, 0}};

template <class T>
double Item(const char* p, bool bigEndian)
{
    return double(bigEndian ? qFromBigEndian<T>(p) : qFromLittleEndian<T>(p));
}

double ReadItem(const char* p, char code, bool bigEndian)
{
    switch (code) {
    case 'D': return Item<double>(p, bigEndian);
    case 'F': return Item<float>(p, bigEndian);
    case 'I': return Item<int32_t>(p, bigEndian);
    case 'S': return Item<int16_t>(p, bigEndian);
    default: return double(int8_t(*p));
    }
}

// A key whose value must be one of a few words (absent: the first).
QString Word(const TKeyValues& k, const char* key, std::initializer_list<const char*> allowed)
{
    const QString v = k.Text(key).value_or(QLatin1String(*allowed.begin())).trimmed().toUpper();
    for (const char* a : allowed)
        if (v == QLatin1String(a))
            return v;
    RefuseSpectrum(k.File(), QStringLiteral("%1 is \"%2\"; this reader takes %3.")
                                 .arg(QLatin1String(key), v, QStringList(allowed.begin(), allowed.end()).join(QStringLiteral(" or "))));
}

void RefuseMoreDimensions(const TKeyValues& k)
{
    for (const char* key : {"YTYP", "ZTYP"}) {
        const QString v = k.Text(key).value_or(QStringLiteral("NODATA")).trimmed().toUpper();
        if (v != QLatin1String("NODATA"))
            RefuseSpectrum(k.File(), QStringLiteral("%1 is %2: a two- or three-dimensional data set (%3 %4) is not "
                                                    "read; export one slice as a one-dimensional spectrum.")
                                         .arg(QLatin1String(key), v, QLatin1String(key[0] == 'Y' ? "YPTS" : "ZPTS"),
                                              k.Text(key[0] == 'Y' ? "YPTS" : "ZPTS").value_or(QStringLiteral("?"))));
    }
}

// The experiment's settings, as far as the descriptor gives them.
void ReadSettings(const TKeyValues& k, TImportedSpectrum& f)
{
    const auto quantity = [&](const char* key, auto convert) -> std::optional<double> {
        const std::optional<QString> text = k.Text(key);
        if (!text)
            return std::nullopt;
        const std::optional<double> v = convert(*text);
        if (!v)
            RefuseSpectrum(k.File(), QStringLiteral("%1 is \"%2\", not a quantity of the expected unit.").arg(QLatin1String(key), *text));
        return v;
    };
    if (f.FieldSweep) {
        if (const auto hz = k.Positive("MWFQ"))
            f.FrequencyKHz = *hz / 1e3;
        else
            f.FrequencyKHz = quantity("FrequencyMon", FrequencyKHzOf);
    } else if (const auto tesla = k.Number("B0VL")) {
        f.FieldGs = *tesla * 1e4;
    } else {
        f.FieldGs = quantity("CenterField", FieldGsOf);
    }
    if (const auto tesla = k.Number("B0MA")) {
        if (*tesla < 0)
            RefuseSpectrum(k.File(), QStringLiteral("B0MA is %1; a modulation amplitude is 0 or more.").arg(*tesla));
        f.ModAmpPeakToPeakGs = *tesla * 1e4;
    } else {
        f.ModAmpPeakToPeakGs = quantity("ModAmp", FieldGsOf);
    }
    f.Scans = k.Whole("NbScansDone", 0, 1000000000);
    if (!f.Scans)
        f.Scans = k.Whole("AVGS", 0, 1000000000);

    f.Resonance = k.Text("MerilMode").value_or(f.FieldSweep ? QStringLiteral("ESR") : QStringLiteral("NMR"));
    f.Comment = k.Text("TITL").value_or(QString());
    if (const QString note = k.Text("CMNT").value_or(QString()); !note.isEmpty() && note != f.Comment)
        f.Comment += (f.Comment.isEmpty() ? QString() : QStringLiteral("; ")) + note;
    if (const auto gain = k.Text("MerilGain"))
        f.Gain = *gain;
    else if (const auto gain = k.Text("Gain"))
        f.Gain = *gain;
    else if (k.Has("RCAG"))
        f.Gain = k.Text("RCAG").value() + QStringLiteral(" dB");
    if (const auto phase = k.Text("MerilPhase"))
        f.Phase = *phase;
    else if (k.Has("ModPhase"))
        f.Phase = k.Text("ModPhase").value() + QChar(0xB0);
    f.SweepTime = k.Text("MerilSweepTime").value_or(k.Text("SweepTime").value_or(QString()));
    f.FrequencyText = k.Text("MerilFrequency").value_or(QString());
    f.B0Text = k.Text("MerilB0").value_or(QString());
    f.ModAmpText = k.Text("MerilModAmp").value_or(QString());
    f.Scale = KeptYScale(k.Number("MerilYLimit"), k.Number("MerilYClipped"), k.Number("MerilYStep"));
}

QString Quoted(const QString& text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' ')) +
           QLatin1Char('\'');
}

QString Number(double v)
{
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

} // namespace

TSpectrum ParseBes3t(QByteArrayView dsc, QByteArrayView dta, const QString& dscFile, const QString& dtaFile)
{
    if (!dsc.startsWith("#DESC"))
        RefuseSpectrum(dscFile, QStringLiteral("it does not begin with #DESC, so it is no BES3T descriptor."));
    const TKeyValues k(dsc, dscFile);
    const QString ikkf = k.Text("IKKF").value_or(QStringLiteral("REAL")).trimmed().toUpper();
    if (ikkf.contains(QLatin1String("CPLX")))
        RefuseSpectrum(dscFile, QStringLiteral("IKKF is %1: complex data are not read; export the real part.").arg(ikkf));
    if (ikkf != QLatin1String("REAL"))
        RefuseSpectrum(dscFile, QStringLiteral("IKKF is %1: data of several components are not read.").arg(ikkf));
    RefuseMoreDimensions(k);
    const QString xtyp = k.Text("XTYP").value_or(QString()).trimmed().toUpper();
    if (xtyp == QLatin1String("IGD"))
        RefuseSpectrum(dscFile, QStringLiteral("XTYP is IGD: x values kept in a separate file (an uneven axis) are not read."));
    if (xtyp != QLatin1String("IDX"))
        RefuseSpectrum(dscFile, QStringLiteral("XTYP is \"%1\"; a spectrum needs an x axis of evenly spaced points (IDX).").arg(xtyp));
    const bool bigEndian = Word(k, "BSEQ", {"BIG", "LIT"}) == QLatin1String("BIG");
    const QString irfmt = Word(k, "IRFMT", {"D", "F", "I", "S", "C"});
    const TItemFormat format = *std::find_if(std::begin(ItemFormats), std::end(ItemFormats),
                                             [&](const TItemFormat& f) { return irfmt == QLatin1Char(f.Code); });

    const std::optional<long long> points = k.Whole("XPTS", 2, MaxSpectrumPoints);
    const std::optional<double> xmin = k.Number("XMIN");
    const std::optional<double> xwid = k.Positive("XWID");
    for (const auto& [key, given] : {std::pair{"XPTS", bool(points)}, {"XMIN", bool(xmin)}, {"XWID", bool(xwid)}})
        if (!given)
            RefuseSpectrum(dscFile, QStringLiteral("the key %1 is missing.").arg(QLatin1String(key)));
    const QString xuni = k.Text("XUNI").value_or(QString());
    const std::optional<TAxisUnit> unit = AxisUnitOf(xuni);
    if (!unit)
        RefuseSpectrum(dscFile, QStringLiteral("XUNI is \"%1\"; the x axis must be a field (G, mT, T) or a frequency "
                                               "(Hz, kHz, MHz, GHz).").arg(xuni));
    const qsizetype n = qsizetype(*points);
    if (dta.size() != n * format.Size)
        RefuseSpectrum(dtaFile, QStringLiteral("it holds %1 bytes, but XPTS %2 values of IRFMT %3 take %4.")
                                    .arg(dta.size())
                                    .arg(n)
                                    .arg(irfmt)
                                    .arg(n * format.Size));

    TImportedSpectrum f;
    f.File = dscFile;
    f.Format = TSpectrumFormat::Bes3t;
    f.Y.resize(size_t(n));
    for (qsizetype i = 0; i < n; ++i)
        f.Y[size_t(i)] = ReadItem(dta.data() + i * format.Size, format.Code, bigEndian);
    f.Quantum = format.FloatBits ? FloatQuantum(f.Y, format.FloatBits) : 1;
    f.FieldSweep = unit->Field;
    f.XFirst = *xmin * unit->Factor;
    f.XLast = (*xmin + *xwid) * unit->Factor;
    f.RangeKey = QStringLiteral("XWID");
    ReadSettings(k, f);
    return SpectrumFromImport(std::move(f));
}

TBes3tPaths Bes3tPaths(const QString& eitherFile)
{
    return {PartnerFile(eitherFile, "DSC"), PartnerFile(eitherFile, "DTA")};
}

TSpectrum ReadBes3tFile(const QString& path)
{
    const TBes3tPaths paths = Bes3tPaths(path);
    const QByteArray dsc = ReadSpectrumBytes(paths.Dsc, MaxDescriptorBytes);
    // The data file may hold at most the largest spectrum of doubles.
    const QByteArray dta = ReadSpectrumBytes(paths.Dta, qint64(MaxSpectrumPoints) * 8);
    return ParseBes3t(dsc, dta, paths.Dsc, paths.Dta);
}

TBes3tBytes Bes3tBytes(const TSpectrum& s)
{
    const TDataHeader& h = s.Header;
    const bool field = h.SweepTp != 0;
    const double centre = double(field ? s.B0 : s.Frequency);
    // A frequency axis is written in Hz, a field axis in G.
    const double toFile = field ? 1 : 1e3;
    QStringList lines{
        QStringLiteral("#DESC\t1.2 * DESCRIPTOR INFORMATION ***********************"),
        QStringLiteral("*"),
        QStringLiteral("DSRC\tEXP"),
        QStringLiteral("BSEQ\tBIG"),
        QStringLiteral("IKKF\tREAL"),
        QStringLiteral("XTYP\tIDX"),
        QStringLiteral("YTYP\tNODATA"),
        QStringLiteral("ZTYP\tNODATA"),
        QStringLiteral("IRFMT\tD"),
        QStringLiteral("XPTS\t%1").arg(s.Points.size()),
        QStringLiteral("XMIN\t%1").arg(Number((centre - s.SweepRange / 2) * toFile)),
        QStringLiteral("XWID\t%1").arg(Number(s.SweepRange * toFile)),
        QStringLiteral("TITL\t%1").arg(Quoted(h.Comment)),
        QStringLiteral("IRNAM\t'Intensity'"),
        QStringLiteral("XNAM\t%1").arg(field ? QStringLiteral("'Field'") : QStringLiteral("'Frequency'")),
        QStringLiteral("IRUNI\t''"),
        QStringLiteral("XUNI\t%1").arg(field ? QStringLiteral("'G'") : QStringLiteral("'Hz'")),
        QStringLiteral("*"),
        QStringLiteral("#SPL\t1.2 * STANDARD PARAMETER LAYER"),
        QStringLiteral("*"),
        QStringLiteral("EXPT\tCW")};
    if (field) {
        lines << QStringLiteral("A1CT\t%1").arg(Number(double(s.B0) * 1e-4))
              << QStringLiteral("A1SW\t%1").arg(Number(s.SweepRange * 1e-4));
        if (!s.NotInFile.Frequency)
            lines << QStringLiteral("MWFQ\t%1").arg(Number(double(s.Frequency) * 1e3));
    } else if (!h.B0.isEmpty()) {
        lines << QStringLiteral("B0VL\t%1").arg(Number(double(s.B0) * 1e-4));
    }
    if (!h.Acc.isEmpty())
        lines << QStringLiteral("AVGS\t%1").arg(s.Acc);
    if (!s.NotInFile.ModAmp)
        lines << QStringLiteral("B0MA\t%1").arg(Number(double(s.ModAmp) * 2e-4));
    lines << QStringLiteral("*") << QStringLiteral("#DSL\t1.0 * DEVICE SPECIFIC LAYER") << QStringLiteral("*");
    if (!h.Acc.isEmpty())
        lines << QStringLiteral(".DVC     recorder, 1.0") << QString() << QStringLiteral("NbScansDone        %1").arg(s.Acc)
              << QString();
    lines << QStringLiteral(".DVC     meril, 1.0") << QString();
    for (const auto& [key, text] : {std::pair{"MerilMode", h.Resonance}, {"MerilFrequency", h.Frequency},
                                    {"MerilB0", h.B0}, {"MerilModAmp", h.ModAmp}, {"MerilSweepTime", h.SweepTime},
                                    {"MerilGain", h.Gain}, {"MerilPhase", h.Phase}})
        if (!text.isEmpty())
            lines << QStringLiteral("%1 %2").arg(QLatin1String(key), -18).arg(Quoted(text));
    const TYScale& scale = s.YScale;
    for (const auto& [key, value] : {std::pair{"MerilYLimit", scale.Limit}, {"MerilYClipped", scale.Clipped ? 1.0 : 0.0},
                                     {"MerilYStep", scale.Quantum}})
        lines << QStringLiteral("%1 %2").arg(QLatin1String(key), -18).arg(Number(value));
    lines << QStringLiteral("*") << QString();

    TBes3tBytes bytes;
    bytes.Dsc = ToCp1252(lines.join(QLatin1Char('\n')));
    bytes.Dta.resize(qsizetype(s.Points.size()) * 8);
    for (size_t i = 0; i < s.Points.size(); ++i)
        qToBigEndian(s.Points[i].y(), bytes.Dta.data() + 8 * i);
    return bytes;
}
