#include "LiveFit.h"

#include "Errors.h"
#include "FitResultText.h"
#include "SpectrumReport.h"

#include <cmath>

namespace {

std::optional<TFitValue> Quantity(const TFitResult& fit, TKnownQuantity q)
{
    switch (q) {
    case TKnownQuantity::M2: return fit.M2;
    case TKnownQuantity::PpWidth: return fit.PpWidth;
    case TKnownQuantity::G: return fit.G;
    case TKnownQuantity::Area: return fit.Area;
    case TKnownQuantity::Coupling: return fit.A.empty() ? std::nullopt : std::optional<TFitValue>(fit.A.front());
    }
    return std::nullopt;
}

} // namespace

TKnownPoint FitKnown(const TDataHeader& header, std::span<const int32_t> sums, int passes, const TKnownTarget& target)
{
    TKnownPoint p;
    p.PassesFitted = passes;
    try {
        TDataHeader h = header;
        h.Acc = QString::number(passes);
        TReportOptions options;
        options.Uncertainties = false;   // of the moments; the fit's own come with it
        options.Fit = target.Model;
        if (target.Hyperfine)
            options.Hyperfine = {*target.Hyperfine};
        const TSpectrumReport report = MeasureSpectrum(ParseSpectrum(SpectrumFileBytes(h, sums)), options);
        if (!report.Fit->Ok) {
            p.Failure = report.Fit->Failure;
            return p;
        }
        const std::optional<TFitValue> v = Quantity(*report.Fit, target.Quantity);
        if (!v || !std::isfinite(v->Value) || !std::isfinite(v->U)) {
            p.Failure = QStringLiteral("the %1 fit gives no %2")
                            .arg(FitModelName(report.Fit->Model), KnownQuantityName(target.Quantity));
            return p;
        }
        p.Ok = true;
        p.Value = v->Value;
        p.U = v->U;
    } catch (const std::exception& e) {
        p.Failure = ErrorText(e);
    }
    return p;
}

QString KnownValueText(const TKnownTarget& target, const TKnownPoint& p, const QString& unit)
{
    const QString name = KnownQuantityName(target.Quantity);
    if (!p.Ok)
        return QStringLiteral("%1: no value (%2)").arg(name, p.Failure);
    const QString u = KnownQuantityUnit(target.Quantity, unit);
    QString text = QStringLiteral("%1 = %2").arg(name, ValueWithUncertainty({p.Value, p.U}));
    if (!u.isEmpty())
        text += QLatin1Char(' ') + u;
    if (p.Value != 0)
        text += QStringLiteral(" (%1 %)").arg(QString::number(100 * p.U / std::abs(p.Value), 'g', 2));
    return text;
}
