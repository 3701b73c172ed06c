#include "FitResultText.h"

#include <algorithm>
#include <cmath>

namespace {

QString Spin(double spin)
{
    const long twice = std::lround(2 * spin);
    return twice % 2 == 0 ? QString::number(twice / 2) : QStringLiteral("%1/2").arg(twice);
}

} // namespace

QString ValueWithUncertainty(const TFitValue& v)
{
    if (!std::isfinite(v.Value))
        return QStringLiteral("\u2013");
    // Without an uncertainty (a noiseless line): six significant digits, and
    // what rounding leaves of zero shown as 0.
    if (!(v.U > 0) || !std::isfinite(v.U))
        return std::abs(v.Value) < 1e-9 ? QStringLiteral("0") : QString::number(v.Value, 'g', 6);
    const int decimals = std::clamp(1 - int(std::floor(std::log10(v.U))), 0, 10);
    return QStringLiteral("%1 \u00b1 %2").arg(QString::number(v.Value, 'f', decimals), QString::number(v.U, 'f', decimals));
}

QStringList FitResultLines(const TFitResult& r, const QString& unit, const std::optional<THyperfine>& hyperfine)
{
    if (!r.Ok)
        return {QStringLiteral("Fit failed: %1").arg(r.Failure)};
    QString model = QStringLiteral("Fit: %1").arg(FitModelName(r.Model));
    if (hyperfine)
        model += QStringLiteral(", %1 %2 of spin %3")
                     .arg(hyperfine->Nuclei)
                     .arg(hyperfine->Nuclei == 1 ? QStringLiteral("nucleus") : QStringLiteral("nuclei"))
                     .arg(Spin(hyperfine->Spin));
    QStringList lines{model};
    const auto add = [&](const QString& name, const TFitValue& v, const QString& u) {
        lines << QStringLiteral("%1 = %2%3").arg(name, ValueWithUncertainty(v), u.isEmpty() ? QString() : QLatin1Char(' ') + u);
    };
    const bool sigma = r.Model == TFitModel::Gauss || r.Model == TFitModel::Pake;
    add(QStringLiteral("Centre"), r.Centre, unit);
    add(QStringLiteral("\u0394Bpp"), r.PpWidth, unit);
    add(sigma ? QStringLiteral("\u03c3") : QStringLiteral("Half width"), r.Width, unit);
    if (r.Eta)
        add(QStringLiteral("\u03b7"), *r.Eta, {});
    if (r.A)
        add(QStringLiteral("a"), *r.A, unit);
    if (r.Alpha)
        add(QStringLiteral("\u03b1"), *r.Alpha, unit);
    if (r.RHH)
        add(QStringLiteral("r(H\u2013H)"), *r.RHH, QStringLiteral("\u00c5"));
    if (r.M2)
        add(QStringLiteral("M2"), *r.M2, unit + QStringLiteral("\u00b2"));
    if (r.G)
        add(QStringLiteral("g"), *r.G, {});
    add(QStringLiteral("Area"), r.Area, QStringLiteral("a.u."));
    lines << QStringLiteral("\u03c7\u00b2 red = %1").arg(QString::number(r.Chi2Red, 'f', 2))
          << QStringLiteral("Residual rms = %1, lag-1 correlation %2")
                 .arg(QString::number(r.ResidualRms, 'g', 3), QString::number(r.ResidualCorr, 'f', 2));
    return lines;
}
