#include "Hyperfine.h"

#include <QStringList>
#include <cmath>

namespace {

bool IsHalfInteger(double v)
{
    return std::abs(2 * v - std::round(2 * v)) < 1e-9;
}

// "1", "1.5" or "3/2".
bool ReadSpin(const QString& text, double& spin)
{
    const QStringList parts = text.split(QLatin1Char('/'));
    bool ok = parts.size() <= 2;
    spin = ok ? parts[0].trimmed().toDouble(&ok) : 0;
    if (ok && parts.size() == 2) {
        const double denominator = parts[1].trimmed().toDouble(&ok);
        ok = ok && denominator > 0;
        spin = ok ? spin / denominator : 0;
    }
    return ok && std::isfinite(spin);
}

} // namespace

QString SpinText(double spin)
{
    const long twice = std::lround(2 * spin);
    return twice % 2 == 0 ? QString::number(twice / 2) : QStringLiteral("%1/2").arg(twice);
}

QString HyperfineGroupText(const THyperfine& group)
{
    return QStringLiteral("%1 %2 of spin %3")
        .arg(group.Nuclei)
        .arg(group.Nuclei == 1 ? QStringLiteral("nucleus") : QStringLiteral("nuclei"))
        .arg(SpinText(group.Spin));
}

QString HyperfineProblem(const THyperfineGroups& groups)
{
    double lines = 1;
    for (const THyperfine& g : groups) {
        if (g.Nuclei < 1 || g.Nuclei > MaxHyperfineNuclei)
            return QStringLiteral("A hyperfine group holds 1 to %1 nuclei, not %2.").arg(MaxHyperfineNuclei).arg(g.Nuclei);
        if (!(g.Spin >= 0.5 && g.Spin <= MaxNuclearSpin) || !IsHalfInteger(g.Spin))
            return QStringLiteral("A nuclear spin is 1/2 to %1 in steps of 1/2, not %2.")
                .arg(MaxNuclearSpin)
                .arg(g.Spin);
        lines *= 2 * g.Nuclei * g.Spin + 1;
    }
    if (lines > MaxHyperfineLines)
        return QStringLiteral("The hyperfine groups make %1 lines; at most %2 can be fitted.")
            .arg(lines, 0, 'f', 0)
            .arg(MaxHyperfineLines);
    return {};
}

THyperfineText ParseHyperfine(const QString& text)
{
    THyperfineText result;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.compare(QLatin1String("none"), Qt::CaseInsensitive) == 0)
        return result;
    for (const QString& part : trimmed.split(QLatin1Char(';'))) {
        const QStringList fields = part.split(QLatin1Char(','));
        THyperfine g;
        bool ok = fields.size() == 2;
        if (ok)
            g.Nuclei = fields[0].trimmed().toInt(&ok);
        if (ok)
            ok = ReadSpin(fields[1], g.Spin);
        if (!ok) {
            result.Error = QStringLiteral("\"%1\" is not a hyperfine group N,I (nuclei, spin), as in 1,1 or 12,1/2.")
                               .arg(part.trimmed());
            result.Groups.clear();
            return result;
        }
        result.Groups.push_back(g);
    }
    result.Error = HyperfineProblem(result.Groups);
    if (!result.Error.isEmpty())
        result.Groups.clear();
    return result;
}

std::vector<double> MultipletWeights(int nuclei, double spin)
{
    const int states = int(std::lround(2 * spin)) + 1;
    std::vector<double> w{1};
    for (int n = 0; n < nuclei; ++n) {
        std::vector<double> next(w.size() + size_t(states) - 1, 0.0);
        for (size_t i = 0; i < w.size(); ++i)
            for (int k = 0; k < states; ++k)
                next[i + size_t(k)] += w[i] / states;
        w = std::move(next);
    }
    return w;
}

THyperfineLines HyperfineLines(const THyperfineGroups& groups)
{
    THyperfineLines lines;
    lines.Weights = {1.0};
    lines.Offsets.assign(groups.size(), {});
    for (size_t g = 0; g < groups.size(); ++g) {
        const std::vector<double> w = MultipletWeights(groups[g].Nuclei, groups[g].Spin);
        const double middle = 0.5 * double(w.size() - 1);
        THyperfineLines next;
        next.Offsets.assign(groups.size(), {});
        for (size_t k = 0; k < lines.Weights.size(); ++k)
            for (size_t m = 0; m < w.size(); ++m) {
                next.Weights.push_back(lines.Weights[k] * w[m]);
                for (size_t h = 0; h < g; ++h)
                    next.Offsets[h].push_back(lines.Offsets[h][k]);
                next.Offsets[g].push_back(double(m) - middle);
            }
        lines = std::move(next);
    }
    return lines;
}

double HyperfineSpread(const THyperfine& group)
{
    return group.Nuclei * group.Spin * (group.Spin + 1) / 3;
}
