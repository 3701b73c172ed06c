#include "Integral.h"

#include "NumFormat.h"

QString SignedCursorText(double x)
{
    const QString text = FloatToStrFNumber(x, 6, 2);
    return x > 0 ? QLatin1Char('+') + text : text;
}

TIntegral MeasureIntegral(TIntegrator& area, int first, int last, const QString& unit)
{
    area.Run(first, last);
    TIntegral result;
    result.Sum = area.Sum;
    result.LeftX = area.Source.XValue(first);
    result.RightX = area.Source.XValue(last);
    result.AIText = FloatToStrFNumber(result.Sum, 9, 0);
    result.LCText = SignedCursorText(result.LeftX) + QLatin1Char(' ') + unit;
    result.RCText = SignedCursorText(result.RightX) + QLatin1Char(' ') + unit;
    return result;
}
