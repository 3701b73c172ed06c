#include "JcampDx.h"

#include "Cp1252.h"
#include "ImportedSpectrum.h"
#include "JcampDxTable.h"
#include "LabelNumber.h"

#include <QRegularExpression>
#include <cmath>

namespace {

// A file larger than this is no single spectrum.
constexpr qint64 MaxJcampBytes = qint64(64) << 20;

// Labels compare without blanks, dashes, slashes and underscores, in upper case.
QByteArray LabelKey(QByteArrayView raw)
{
    QByteArray key;
    for (const char c : raw)
        if (c != ' ' && c != '\t' && c != '-' && c != '/' && c != '_')
            key += char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return key;
}

// A line without its "$$" comment.
QByteArrayView WithoutComment(QByteArrayView line)
{
    const qsizetype comment = line.indexOf("$$");
    return (comment < 0 ? line : line.first(comment)).trimmed();
}

// One labelled data record: "##LABEL=value" and the lines after it.
struct TRecord {
    QByteArray Label;
    QByteArrayView Value;
    std::vector<QByteArrayView> Lines;
};

// The records from one ##TITLE= to its ##END=.
struct TBlock {
    std::vector<TRecord> Records;
    const TRecord* Find(const char* label) const
    {
        for (const TRecord& r : Records)
            if (r.Label == label)
                return &r;
        return nullptr;
    }
};

std::vector<TBlock> Blocks(QByteArrayView bytes)
{
    std::vector<TBlock> blocks(1);
    for (qsizetype start = 0; start < bytes.size();) {
        const QByteArrayView trimmed = NextLine(bytes, start).trimmed();
        if (!trimmed.startsWith("##")) {
            if (!blocks.back().Records.empty())
                blocks.back().Records.back().Lines.push_back(WithoutComment(trimmed));
            continue;
        }
        const qsizetype equals = trimmed.indexOf('=');
        TRecord r{LabelKey(trimmed.sliced(2, (equals < 0 ? trimmed.size() : equals) - 2)),
                  equals < 0 ? QByteArrayView() : WithoutComment(trimmed.sliced(equals + 1)), {}};
        if (r.Label == "TITLE" && !blocks.back().Records.empty())
            blocks.emplace_back();
        const bool end_ = r.Label == "END";
        blocks.back().Records.push_back(std::move(r));
        if (end_)
            blocks.emplace_back();
    }
    return blocks;
}

class TLabels {
public:
    TLabels(const TBlock& block, const QString& file) : B(block), File(file) {}

    std::optional<QString> Text(const char* label) const
    {
        const TRecord* r = B.Find(label);
        return r ? std::optional<QString>(FromCp1252(r->Value).trimmed()) : std::nullopt;
    }
    // A text of the program's own labels: within <>, blanks kept.
    std::optional<QString> OwnText(const char* label) const
    {
        std::optional<QString> text = Text(label);
        if (text && text->size() >= 2 && text->startsWith(QLatin1Char('<')) && text->endsWith(QLatin1Char('>')))
            *text = text->mid(1, text->size() - 2);
        return text;
    }
    std::optional<double> Number(const char* label) const
    {
        const std::optional<QString> text = OwnText(label);
        if (!text)
            return std::nullopt;
        bool ok = false;
        const double v = text->section(QRegularExpression(QStringLiteral("\\s+")), 0, 0).toDouble(&ok);
        if (!ok || !std::isfinite(v))
            Refuse(label, QStringLiteral("\"%1\" is not a number").arg(*text));
        return v;
    }
    double Factor(const char* label) const
    {
        const double v = Number(label).value_or(1);
        if (v == 0)
            Refuse(label, QStringLiteral("0 would make every value 0"));
        return v;
    }
    double Required(const char* label) const
    {
        const std::optional<double> v = Number(label);
        if (!v)
            RefuseSpectrum(File, QStringLiteral("the label ##%1= is missing.").arg(QLatin1String(label)));
        return *v;
    }
    // A text of the program's own labels read back as a number, as the .dcw reader reads its texts.
    std::optional<double> LabelNumber(const char* label) const
    {
        const std::optional<QString> text = OwnText(label);
        if (!text)
            return std::nullopt;
        try {
            return double(ParseLabelNumber(*text));
        } catch (const EConvertError&) {
            Refuse(label, QStringLiteral("\"%1\" holds no number").arg(*text));
        }
    }
    [[noreturn]] void Refuse(const char* label, const QString& what) const
    {
        RefuseSpectrum(File, QStringLiteral("##%1= %2.").arg(QLatin1String(label), what));
    }

private:
    const TBlock& B;
    const QString& File;
};

// The mode named by the program's own label, or by the data type and nucleus.
QString ModeOf(const TLabels& l)
{
    if (const auto mode = l.OwnText("$MERILMODE"))
        return *mode;
    const QString type = l.Text("DATATYPE").value_or(QString()).toUpper();
    if (type.contains(QLatin1String("NMR"))) {
        const QString nucleus = l.Text(".OBSERVENUCLEUS").value_or(QString()).remove(QRegularExpression(QStringLiteral("[\\^<>\\s]")));
        if (nucleus == QLatin1String("1H"))
            return QStringLiteral("NMR 1H");
        if (nucleus == QLatin1String("19F"))
            return QStringLiteral("NMR 19F");
        return QStringLiteral("NMR");
    }
    if (type.contains(QLatin1String("ESR")) || type.contains(QLatin1String("EPR")))
        return QStringLiteral("ESR");
    return QString();
}

// x of the first and last point and the values of the block's table.
struct TTable {
    double FirstX = 0, LastX = 0;
    std::vector<double> Y;
    double Quantum = 1;
};

TTable ReadTable(const TBlock& block, const TLabels& l, const QString& file)
{
    const double xFactor = l.Factor("XFACTOR"), yFactor = l.Factor("YFACTOR");
    TTable t;
    TJcampValues values;
    if (const TRecord* xy = block.Find("XYDATA")) {
        if (LabelKey(xy->Value) != "(X++(Y..Y))")
            l.Refuse("XYDATA", QStringLiteral("%1 is not read; (X++(Y..Y)) is").arg(QString::fromLatin1(xy->Value)));
        const double points = l.Required("NPOINTS");
        if (!(points == std::floor(points) && points >= 2 && points <= double(MaxSpectrumPoints)))
            l.Refuse("NPOINTS", QStringLiteral("%1 is not a whole number from 2 to %2").arg(points).arg(MaxSpectrumPoints));
        t.FirstX = l.Required("FIRSTX");
        t.LastX = l.Required("LASTX");
        const TJcampGrid grid{t.FirstX, (t.LastX - t.FirstX) / (points - 1), xFactor, (long long)points};
        values = DecodeXyData(xy->Lines, grid, file);
    } else {
        const TRecord* pairs = block.Find("XYPOINTS");
        if (LabelKey(pairs->Value) != "(XY..XY)")
            l.Refuse("XYPOINTS", QStringLiteral("%1 is not read; (XY..XY) is").arg(QString::fromLatin1(pairs->Value)));
        const std::optional<double> points = l.Number("NPOINTS");
        values = DecodeXyPoints(pairs->Lines, points && *points >= 0 && *points < double(MaxSpectrumPoints) ? (long long)*points : MaxSpectrumPoints, file);
        if (points && double(values.Y.size()) != *points)
            RefuseSpectrum(file, QStringLiteral("the data table holds %1 points, but NPOINTS is %2.").arg(values.Y.size()).arg(*points));
        const size_t n = values.X.size();
        if (n >= 2) {
            t.FirstX = values.X.front() * xFactor;
            t.LastX = values.X.back() * xFactor;
            const double step = (t.LastX - t.FirstX) / double(n - 1);
            for (size_t i = 0; i < n; ++i)
                if (!(std::abs(values.X[i] * xFactor - (t.FirstX + double(i) * step)) <= 0.01 * std::abs(step)))
                    RefuseSpectrum(file, QStringLiteral("the x values of ##XYPOINTS are not evenly spaced (point %1 at %2).")
                                             .arg(i + 1)
                                             .arg(values.X[i] * xFactor));
        }
    }
    t.Y = std::move(values.Y);
    for (double& y : t.Y)
        y *= yFactor;
    t.Quantum = values.Quantum * std::abs(yFactor);
    return t;
}

} // namespace

TSpectrum ParseJcampDx(QByteArrayView bytes, const QString& file)
{
    if (!bytes.trimmed().startsWith("##"))
        RefuseSpectrum(file, QStringLiteral("it does not begin with a ##LABEL=, so it is no JCAMP-DX file."));
    const std::vector<TBlock> blocks = Blocks(bytes);
    const TBlock* block = nullptr;
    for (const TBlock& b : blocks)
        if (b.Find("XYDATA") || b.Find("XYPOINTS")) {
            block = &b;
            break;
        }
    for (const TBlock& b : blocks)
        if ((!block || &b == block) && b.Find("NTUPLES"))
            RefuseSpectrum(file, QStringLiteral("##NTUPLES (two-dimensional or complex data) are not read."));
    if (!block) {
        for (const TBlock& b : blocks)
            if (b.Find("PEAKTABLE"))
                RefuseSpectrum(file, QStringLiteral("##PEAK TABLE holds a list of peaks, not a spectrum."));
        RefuseSpectrum(file, QStringLiteral("no ##XYDATA= or ##XYPOINTS= table."));
    }
    const TLabels l(*block, file);
    TTable table = ReadTable(*block, l, file);

    TImportedSpectrum f;
    f.File = file;
    f.Format = TSpectrumFormat::JcampDx;
    f.Y = std::move(table.Y);
    f.Quantum = table.Quantum;
    f.RangeKey = QStringLiteral("FIRSTX, LASTX");
    const QString xunits = l.Text("XUNITS").value_or(QString()).toUpper();
    const std::optional<double> observeMHz = l.Number(".OBSERVEFREQUENCY");
    if (observeMHz && !(*observeMHz > 0))
        l.Refuse(".OBSERVEFREQUENCY", QStringLiteral("%1 is not above 0").arg(*observeMHz));
    const std::optional<double> observeKHz = observeMHz ? std::optional<double>(*observeMHz * 1e3) : std::nullopt;
    std::optional<TAxisUnit> unit = AxisUnitOf(xunits);
    bool offsets = false;   // x counts from the observe frequency
    if (xunits == QLatin1String("PPM")) {
        if (!observeMHz)
            l.Refuse("XUNITS", QStringLiteral("PPM needs ##.OBSERVE FREQUENCY= to give x in Hz"));
        unit = TAxisUnit{false, *observeMHz * 1e-3};
        offsets = true;
    }
    if (!unit)
        l.Refuse("XUNITS", QStringLiteral("%1: the x axis must be a field (GAUSS, MT, T) or a frequency (HZ, KHZ, MHZ, GHZ, PPM)")
                               .arg(xunits.isEmpty() ? QStringLiteral("(none)") : xunits));
    f.FieldSweep = unit->Field;
    f.XFirst = table.FirstX * unit->Factor;
    f.XLast = table.LastX * unit->Factor;
    if (!f.FieldSweep && observeKHz && std::abs((f.XFirst + f.XLast) / 2) < *observeKHz / 2)
        offsets = true;
    if (offsets)
        f.XOrigin = *observeKHz;
    if (f.FieldSweep)
        f.FrequencyKHz = observeKHz;
    else
        f.FieldGs = l.LabelNumber("$MERILB0");
    if (const auto peak = l.LabelNumber("$MERILMODAMP"))
        f.ModAmpPeakToPeakGs = 2 * *peak;
    for (const char* label : {"$MERILACC", ".AVERAGES"})
        if (const auto scans = l.Number(label); scans && !f.Scans) {
            if (!(*scans >= 0 && *scans <= 1e9 && *scans == std::floor(*scans)))
                l.Refuse(label, QStringLiteral("%1 is not a whole number of scans").arg(*scans));
            f.Scans = (long long)*scans;
        }
    f.Resonance = ModeOf(l);
    f.Comment = l.Text("TITLE").value_or(QString());
    f.FrequencyText = l.OwnText("$MERILFREQUENCY").value_or(QString());
    f.B0Text = l.OwnText("$MERILB0").value_or(QString());
    f.ModAmpText = l.OwnText("$MERILMODAMP").value_or(QString());
    f.SweepTime = l.OwnText("$MERILSWEEPTIME").value_or(QString());
    f.Gain = l.OwnText("$MERILGAIN").value_or(QString());
    f.Phase = l.OwnText("$MERILPHASE").value_or(QString());
    f.Scale = KeptYScale(l.Number("$MERILYLIMIT"), l.Number("$MERILYCLIPPED"), l.Number("$MERILYSTEP"));
    return SpectrumFromImport(std::move(f));
}

TSpectrum ReadJcampDxFile(const QString& path)
{
    return ParseJcampDx(ReadSpectrumBytes(path, MaxJcampBytes), path);
}
