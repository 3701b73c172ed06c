#include "KnownStop.h"

#include <cmath>

QString KnownQuantityName(TKnownQuantity q)
{
    switch (q) {
    case TKnownQuantity::M2: return QStringLiteral("M2");
    case TKnownQuantity::PpWidth: return QStringLiteral("\u0394Bpp");
    case TKnownQuantity::G: return QStringLiteral("g");
    case TKnownQuantity::Area: return QStringLiteral("area");
    case TKnownQuantity::Coupling: return QStringLiteral("a");
    }
    return QString();
}

QString KnownQuantityUnit(TKnownQuantity q, const QString& unit)
{
    switch (q) {
    case TKnownQuantity::M2: return unit + QStringLiteral("\u00b2");
    case TKnownQuantity::PpWidth:
    case TKnownQuantity::Coupling: return unit;
    default: return QString();
    }
}

QString KnownTargetProblem(const TKnownTarget& t, bool esr)
{
    if (!(t.Uncertainty > 0) || !std::isfinite(t.Uncertainty))
        return QStringLiteral("Stop when known: the uncertainty wanted must be above 0.");
    if (t.Quantity == TKnownQuantity::M2 && t.Model != TFitModel::Gauss && t.Model != TFitModel::Pake)
        return QStringLiteral("Stop when known: M2 comes from the gauss or the pake model only.");
    if (t.Quantity == TKnownQuantity::G && !esr)
        return QStringLiteral("Stop when known: g is measured in ESR only.");
    if (t.Quantity == TKnownQuantity::Coupling && (!t.Hyperfine || t.Model == TFitModel::Pake))
        return QStringLiteral("Stop when known: the coupling a needs a hyperfine multiplet (N,I).");
    return QString();
}

double WantedUncertainty(const TKnownTarget& t, double value)
{
    return t.Relative ? t.Uncertainty / 100 * std::abs(value) : t.Uncertainty;
}

bool Reached(const TKnownTarget& t, const TKnownPoint& p)
{
    return p.Ok && p.U <= WantedUncertainty(t, p.Value);
}

std::optional<int> PassesStillNeeded(const TKnownTarget& t, const TKnownPoint& p)
{
    const double wanted = WantedUncertainty(t, p.Value);
    if (!p.Ok || p.PassesFitted < 1 || !(wanted > 0))
        return std::nullopt;
    if (p.U <= wanted)
        return 0;
    const double ratio = p.U / wanted;
    const double needed = std::ceil(p.PassesFitted * ratio * ratio);
    if (!std::isfinite(needed) || needed > 1e6)
        return std::nullopt;
    return int(needed) - p.PassesFitted;
}

double ProjectedUncertainty(const TKnownPoint& p, int passes)
{
    return p.U * std::sqrt(double(p.PassesFitted) / std::max(1, passes));
}
