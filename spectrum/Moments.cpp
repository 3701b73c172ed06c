#include "Moments.h"

#include "NumFormat.h"
#include "UM2.h"

QString M2Text(double m2)
{
    return Format(QStringLiteral("%9.3n Gs \u00B2"), {m2});
}

TMoments MeasureMoments(const TLineView& view, TViewKind kind, int left, int centre, int right, Real48 modAmp)
{
    TMoments m;
    if (kind == TViewKind::Derivative) {
        m.M2R = M2FromDerivative(view, centre, right, modAmp);
        m.M2L = M2FromDerivative(view, centre, left, modAmp);
        m.M4R = M4FromDerivative(view, centre, right);
        m.M4L = M4FromDerivative(view, centre, left);
    } else {
        m.M2R = M2FromAbsorption(view, centre, right, modAmp);
        m.M2L = M2FromAbsorption(view, centre, left, modAmp);
        m.M4R = M4FromAbsorption(view, centre, right);
        m.M4L = M4FromAbsorption(view, centre, left);
    }
    m.M2 = (m.M2R + m.M2L) * 0.5;
    m.M4 = (m.M4R + m.M4L) * 0.5;
    m.M2RText = M2Text(m.M2R);
    m.M2LText = M2Text(m.M2L);
    m.M2Text = M2Text(m.M2);
    m.M4Text = Format(QStringLiteral("%9.3n Gs"), {m.M4});
    return m;
}
