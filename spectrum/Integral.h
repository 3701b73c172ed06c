#pragma once
// The integral measurement: the area under the absorption view between two
// cursors, run through the area integrator (which also gives the running
// integral curve), and its three texts.

#include "UIntegration.h"

#include <QString>

struct TIntegral {
    long double Sum = 0;  // the integrator's Sum: 1000 x the area (y units x x units)
    double LeftX = 0, RightX = 0;
    QString AIText;  // Sum, grouped, no decimals, at most 9 significant digits
    QString LCText;  // "+12.50 Gs": sign when positive, 2 decimals, a blank before the unit
    QString RCText;  // the same for the right cursor
};

// Runs the area integrator (AreaIntegrator, Views.h) from first to last and
// reads the result; the integrator's DestX/DestY are then the curve. The
// source of the integrator is the absorption view.
TIntegral MeasureIntegral(TIntegrator& area, int first, int last, const QString& unit);

// A cursor's x as the integral readouts show it: grouped, 2 decimals, at most
// 6 significant digits, "+" in front when positive.
QString SignedCursorText(double x);
