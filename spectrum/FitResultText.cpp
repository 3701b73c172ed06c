#include "FitResultText.h"

#include <algorithm>
#include <cmath>

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

QStringList FitResultLines(const TFitResult& r, const QString& unit, const THyperfineGroups& hyperfine)
{
    if (!r.Ok)
        return {QStringLiteral("Fit failed: %1").arg(r.Failure)};
    QStringList groups;
    for (const THyperfine& g : hyperfine)
        groups << HyperfineGroupText(g);
    QString model = QStringLiteral("Fit: %1").arg(FitModelTitle(r.Model));
    if (!groups.isEmpty())
        model += QStringLiteral(", ") + groups.join(QStringLiteral("; "));
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
    for (size_t g = 0; g < r.A.size(); ++g)
        add(r.A.size() == 1 ? QStringLiteral("a") : QStringLiteral("a%1").arg(g + 1), r.A[g], unit);
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
    if (r.LeftOut > 0)
        lines << QStringLiteral("Left out: %1 clipped %2").arg(r.LeftOut).arg(r.LeftOut == 1 ? QStringLiteral("point") : QStringLiteral("points"));
    return lines;
}

QString GUncertaintyText(const TFitResult& r)
{
    if (!r.Ok || !r.G)
        return {};
    const auto number = [](double v) { return QString::number(v, 'g', 2); };
    return QStringLiteral("g \u00b1 %1: \u00b1 %2 from the fitted centre, \u00b1 %3 from the last digits of the stored B0 "
                          "and frequency; %4 dominates.")
        .arg(number(r.G->U), number(r.GUFit), number(r.GUField),
             r.GUField > r.GUFit ? QStringLiteral("the stored texts' resolution") : QStringLiteral("the fit"));
}
