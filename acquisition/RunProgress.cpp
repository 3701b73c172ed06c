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

// Passes of the run still to come after the one being measured; fewer when
// the value is known before the accumulations set are done.
int PassesToCome(const TRunProgress& p)
{
    if (p.Loop)
        return 0;
    const int set = std::max(0, p.Passes - p.Pass);
    if (p.KnownPassesLeft < 0)
        return set;
    return std::min(set, std::max(0, p.KnownPassesLeft - (p.Pass - p.KnownAfterPass)));
}

} // namespace

int ProgressPercent(const TRunProgress& p)
{
    if (p.Loop)
        return int(PassDone(p) * 100);
    const int passes = std::max(1, p.Pass + PassesToCome(p));
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
    QString text = pass + dot + points + dot + time;
    if (!p.Known.isEmpty()) {
        text += dot + p.Known;
        if (p.KnownPassesLeft == 0)
            text += dot + QStringLiteral("known");
        else if (p.KnownPassesLeft > 0)
            text += dot + QStringLiteral("%1 more %2, %3")
                              .arg(p.KnownPassesLeft)
                              .arg(p.KnownPassesLeft == 1 ? QStringLiteral("pass") : QStringLiteral("passes"))
                              .arg(FormatDuration(p.KnownPassesLeft * p.SweepSeconds));
    }
    if (p.NotKeptFrom > 0)
        text += dot + QStringLiteral("passes not kept from pass %1 on").arg(p.NotKeptFrom);
    return text;
}
