// Line shapes: the closed-form modulated Lorentzian, and that each shape's
// dispersion (Dawson's integral for the Gaussian, a table for the Pake
// doublet) is the Hilbert transform of its absorption.

#include "LineShape.h"

#include <QtTest>
#include <cmath>
#include <numbers>

class TestSimLineShape : public QObject {
    Q_OBJECT

private slots:
    void lorentzClosedFormEqualsTheModulationCycleIntegral()
    {
        const TLorentzLine line(1.3);
        for (const double a : {0.13, 1.3, 2.6})
            for (double d = -8; d <= 8; d += 0.37)
                QVERIFY2(std::abs(line.FirstHarmonic(d, a) - line.TLineShape::FirstHarmonic(d, a)) < 1e-6 * line.Profile(0).imag(),
                         qPrintable(QStringLiteral("a %1, d %2").arg(a).arg(d)));
        QCOMPARE(line.FirstHarmonic(0.5, 0), TComplex(0));
    }

    void dispersionIsTheHilbertTransformOfAbsorption()
    {
        const TGaussLine gauss(3.0);
        const TPakeLine pake(5.37, 1.54);
        for (const TLineShape* line : {static_cast<const TLineShape*>(&gauss), static_cast<const TLineShape*>(&pake)})
            for (const double d : {0.7, 3.0, 9.0, 15.0, 70.0}) {
                // (1/pi) P.V. integral of absorption(t) / (d - t), folded about d.
                constexpr int steps = 40000;
                const double h = 200.0 / steps;
                double sum = 0;
                for (int i = 1; i <= steps; ++i) {
                    const double t = (i - 0.5) * h;
                    sum += (line->Profile(d - t).imag() - line->Profile(d + t).imag()) / t;
                }
                const double expected = sum * h / std::numbers::pi;
                QVERIFY2(std::abs(line->Profile(d).real() - expected) < 2e-4 * line->Profile(0).imag(),
                         qPrintable(QStringLiteral("d %1: %2 vs %3").arg(d).arg(line->Profile(d).real()).arg(expected)));
            }
    }
};

QTEST_MAIN(TestSimLineShape)
#include "test_SimLineShape.moc"
