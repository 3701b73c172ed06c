#include "ProcReport.h"

#include "SpectrumFiles.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <algorithm>
#include <cmath>

namespace {

// A number, or null where there is none (JSON has no infinity).
QJsonValue Number(long double v)
{
    return std::isfinite(v) ? QJsonValue(double(v)) : QJsonValue();
}

QJsonObject ViewJson(const TViewReport& v)
{
    return {{"LC", v.Cursors.Left},        {"MC", v.Cursors.Centre},     {"RC", v.Cursors.Right},
            {"M2L", Number(v.Moments.M2L)}, {"M2R", Number(v.Moments.M2R)}, {"M2", Number(v.Moments.M2)},
            {"M4", Number(v.Moments.M4)},   {"M2_u", Number(v.M2_u)},       {"M4_u", Number(v.M4_u)}};
}

const char* const ViewKeys[] = {"LC", "MC", "RC", "M2L", "M2R", "M2", "M4", "M2_u", "M4_u"};

const char* const FitKeys[] = {"model",  "centre",  "centre_u", "pp_width",  "pp_width_u",   "width",
                               "width_u", "eta",    "eta_u",    "area",      "area_u",       "M2",
                               "M2_u",   "alpha",   "alpha_u",  "r_HH",      "r_HH_u",       "a",
                               "a_u",    "g",       "g_u",      "g_u_field", "g_u_fit",      "chi2_red",
                               "residual_rms", "residual_corr", "clipped_left_out"};

// Every key of the fit; null where it does not apply or no fit was made.
QJsonObject FitJson(const TFitResult& f)
{
    QJsonObject o;
    for (const char* key : FitKeys)
        o.insert(QLatin1String(key), QJsonValue());
    o["model"] = FitModelName(f.Model);
    if (!f.Ok)
        return o;
    const auto put = [&](const char* key, const std::optional<TFitValue>& v) {
        if (v) {
            o[QLatin1String(key)] = Number(v->Value);
            o[QLatin1String(key) + QStringLiteral("_u")] = Number(v->U);
        }
    };
    put("centre", f.Centre);
    put("pp_width", f.PpWidth);
    put("width", f.Width);
    put("eta", f.Eta);
    put("area", f.Area);
    put("M2", f.M2);
    put("alpha", f.Alpha);
    put("r_HH", f.RHH);
    // One coupling per hyperfine group: a number for one group, a list for several.
    if (f.A.size() == 1) {
        put("a", f.A[0]);
    } else if (f.A.size() > 1) {
        QJsonArray a, u;
        for (const TFitValue& v : f.A) {
            a.append(Number(v.Value));
            u.append(Number(v.U));
        }
        o["a"] = a;
        o["a_u"] = u;
    }
    put("g", f.G);
    if (f.G) {
        o["g_u_field"] = Number(f.GUField);
        o["g_u_fit"] = Number(f.GUFit);
    }
    o["chi2_red"] = Number(f.Chi2Red);
    o["residual_rms"] = Number(f.ResidualRms);
    o["residual_corr"] = Number(f.ResidualCorr);
    o["clipped_left_out"] = f.LeftOut;
    return o;
}

QJsonArray WarningsJson(const std::vector<TMeasurementWarning>& warnings)
{
    QJsonArray list;
    for (const TMeasurementWarning& w : warnings)
        list.append(QJsonObject{{"code", w.Code}, {"text", w.Text}});
    return list;
}

QString CsvNumber(const QJsonValue& v)
{
    return v.isDouble() ? QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest) : QString();
}

// A CSV field: quoted when it holds a separator, a quote or a line break. A
// list gives its items joined by ';': the codes of warnings, or numbers.
QString CsvField(const QJsonValue& v)
{
    QString text;
    if (v.isArray()) {
        QStringList items;
        for (const QJsonValue& w : v.toArray())
            items << (w.isObject() ? w.toObject().value(QLatin1String("code")).toString() : CsvNumber(w));
        text = items.join(QLatin1Char(';'));
    } else if (v.isString())
        text = v.toString();
    else if (v.isDouble())
        text = CsvNumber(v);
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n')) ||
        text.contains(QLatin1Char('\r')))
        text = QLatin1Char('"') + QString(text).replace(QLatin1String("\""), QLatin1String("\"\"")) + QLatin1Char('"');
    return text;
}

} // namespace

QJsonObject TReportFields::Object() const
{
    QJsonObject o;
    for (const auto& [key, value] : Fields)
        o.insert(key, value);
    return o;
}

QString TReportFields::JsonLine() const
{
    QStringList parts;
    for (const auto& [key, value] : Fields) {
        // Qt writes the value (escapes, shortest exact numbers) inside an array;
        // the keys are plain names.
        const QByteArray json = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
        parts << QLatin1Char('"') + key + QStringLiteral("\":") + QString::fromUtf8(json.mid(1, json.size() - 2));
    }
    return QLatin1Char('{') + parts.join(QLatin1Char(',')) + QLatin1Char('}');
}

TReportFields ReportJson(const QString& file, const TSpectrum& spectrum, const TSpectrumReport& r)
{
    TReportFields o{{{"file", file},
                  {"format", FormatName(spectrum.Format)},
                  {"version", spectrum.Format == TSpectrumFormat::Dcw ? QJsonValue(spectrum.Version) : QJsonValue()},
                  {"resonance", spectrum.Header.Resonance},
                  {"unit", AxisUnitText(spectrum.Header)},
                  {"points", r.Points},
                  {"acc", spectrum.Acc},
                  {"baseline", QJsonObject{{"offset", Number(r.Baseline.Offset)}, {"slope", Number(r.Baseline.Slope)}}},
                  {"factor", r.Factor},
                  {"centre", r.Centre},
                  {"derivative", ViewJson(r.Derivative)},
                  {"absorption", ViewJson(r.Absorption)},
                  {"SDB", Number(r.SDB)},
                  {"HDB", r.HDB ? Number(*r.HDB) : QJsonValue()},
                  {"integral", QJsonObject{{"LC", Number(r.IntegralLC)}, {"RC", Number(r.IntegralRC)}, {"AI", Number(r.AI)}}},
                  {"noise", Number(r.Noise)},
                  {"noise_corr", Number(r.NoiseCorrelation)}}};
    if (!r.HDB) {
        const auto hdb = std::find_if(o.Fields.begin(), o.Fields.end(), [](const auto& f) { return f.first == "HDB"; });
        o.Fields.insert(hdb + 1, {"HDB_error", r.HDBError});
    }
    // An ESR spectrum whose g is implausible, or whose frequency the file does
    // not give, has "g": null (the warnings say why).
    if (IsEsrSpectrum(spectrum.Header))
        o.Fields.insert(o.Fields.end() - 2, {"g", r.G ? Number(*r.G) : QJsonValue()});
    if (r.Fit)
        o.Fields.push_back({"fit", FitJson(*r.Fit)});
    o.Fields.push_back({"warnings", WarningsJson(r.Warnings)});
    return o;
}

QStringList CsvColumns(bool withFit)
{
    QStringList columns{"file", "format", "version", "resonance", "unit", "points", "acc", "baseline.offset", "baseline.slope",
                        "factor", "centre"};
    for (const char* view : {"derivative", "absorption"})
        for (const char* key : ViewKeys)
            columns << QLatin1String(view) + QLatin1Char('.') + QLatin1String(key);
    columns << "SDB" << "HDB" << "HDB_error" << "integral.LC" << "integral.RC" << "integral.AI" << "g" << "noise" << "noise_corr";
    if (withFit)
        for (const char* key : FitKeys)
            columns << QStringLiteral("fit.") + QLatin1String(key);
    columns << "warnings";
    return columns;
}

QString CsvHeader(bool withFit)
{
    return CsvColumns(withFit).join(QLatin1Char(','));
}

QString CsvRow(const QJsonObject& report, bool withFit)
{
    QStringList fields;
    for (const QString& column : CsvColumns(withFit)) {
        const qsizetype dot = column.indexOf(QLatin1Char('.'));
        const QJsonValue v = dot < 0 ? report.value(column)
                                     : report.value(column.left(dot)).toObject().value(column.mid(dot + 1));
        fields << CsvField(v);
    }
    return fields.join(QLatin1Char(','));
}
