#include "RunProgress.h"

#include <algorithm>

namespace {

// Fraction of the pass being measured that has been received.
double PassDone(const TRunProgress& p)
{
    if (p.PointTotal <= 0)
        return 0;
    return std::clamp(double(p.Points) / p.PointTotal, 0.0, 1.0);
}

// Passes of the run still to come after the one being measured.
int PassesToCome(const TRunProgress& p)
{
    return p.Loop ? 0 : std::max(0, p.Passes - p.Pass);
}

} // namespace

int ProgressPercent(const TRunProgress& p)
{
    if (p.Loop)
        return int(PassDone(p) * 100);
    const int passes = std::max(1, std::max(p.Passes, p.Pass));
    const double done = (std::clamp(p.Pass, 1, passes) - 1 + PassDone(p)) / passes;
    return int(done * 100);
}

int SecondsLeft(const TRunProgress& p)
{
    const double passLeft = (1 - PassDone(p)) * p.SweepSeconds;
    return int(passLeft + double(PassesToCome(p)) * p.SweepSeconds + 0.5);
}

QString FormatDuration(int seconds)
{
    seconds = std::max(0, seconds);
    const int h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    const auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    if (h > 0)
        return QStringLiteral("%1:%2:%3").arg(h).arg(two(m), two(s));
    return QStringLiteral("%1:%2").arg(m).arg(two(s));
}

QString ProgressText(const TRunProgress& p)
{
    const QString pass = p.Loop ? QStringLiteral("pass %1, loop").arg(p.Pass)
                                : QStringLiteral("pass %1 of %2").arg(p.Pass).arg(p.Passes);
    const QString points = p.PointTotal > 0 ? QStringLiteral("%1/%2").arg(p.Points).arg(p.PointTotal)
                                            : QStringLiteral("setting up");
    QString time;
    if (p.OnHold)
        time = QStringLiteral("on hold");
    else
        time = FormatDuration(SecondsLeft(p)) + QStringLiteral(" left");
    const QString dot = QStringLiteral(" \u00b7 ");
    return pass + dot + points + dot + time;
}
