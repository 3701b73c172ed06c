#include "GFactor.h"

#include "NumFormat.h"

TGFactor MeasureGFactor(long double frequencyKHz, long double b0, double x)
{
    const long double field = b0 + x;
    TGFactor g;
    g.G = double((frequencyKHz * 1e-6L) / (field * 1e-4L) * 0.07144771L);
    g.Text = Format(QStringLiteral("%8.4n"), {g.G});
    return g;
}
