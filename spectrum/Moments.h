#pragma once
// The moments measurement: M2 and M4 from the centre cursor towards the left
// and the right cursor, their means, and the texts of the result labels.
// Texts are as the window shows them, "²" being U+00B2; ToCp1252 (Cp1252.h)
// gives their file form, with "²" as byte 0xB2.

#include "LineView.h"
#include "Real48.h"

#include <QString>

// Which processed view a measurement works on.
enum class TViewKind { Derivative, Absorption };

struct TMoments {
    double M2L = 0, M2R = 0, M2 = 0;  // Gs² (square of the x unit)
    double M4L = 0, M4R = 0, M4 = 0;  // Gs⁴
    QString M2LText, M2RText, M2Text;  // "%9.3n Gs ²"
    QString M4Text;                    // "%9.3n Gs"; the window adds the small "4"
};

// Moments of the view between the cursors (left, centre, right), with the
// modulation amplitude of the file (Gs) subtracted as P²/4 from M2.
TMoments MeasureMoments(const TLineView& view, TViewKind kind, int left, int centre, int right, Real48 modAmp);

// "%9.3n Gs ²" of an M2 value.
QString M2Text(double m2);
