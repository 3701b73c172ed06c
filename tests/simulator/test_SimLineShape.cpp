// Line shapes of the simulated samples: the special function, the modulated
// first harmonic, and that dispersion and absorption belong together.

#include "LineShape.h"

#include <QtTest>
#include <cmath>
#include <functional>
#include <numbers>

namespace {
// Hilbert transform (1/pi) P.V. integral f(t) / (x - t) dt, folded to a regular integrand.
double Hilbert(const std::function<double(double)>& f, double x, double span)
{
    constexpr int steps = 40000;
    const double h = span / steps;
    double sum = 0;
    for (int i = 1; i <= steps; ++i) {
        const double t = (i - 0.5) * h;
        sum += (f(x - t) - f(x + t)) / t;
    }
    return sum * h / std::numbers::pi;
}

// Integral of w(d) * absorption(d) over -span..span.
double AbsorptionIntegral(const TLineShape& shape, double span, const std::function<double(double)>& w)
{
    constexpr int steps = 20000;
    const double h = 2 * span / steps;
    double sum = 0;
    for (int i = 0; i < steps; ++i) {
        const double d = -span + (i + 0.5) * h;
        sum += w(d) * shape.Profile(d).imag();
    }
    return sum * h;
}
} // namespace

class TestSimLineShape : public QObject {
    Q_OBJECT

private slots:
    void dawsonMatchesKnownValues_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("expected");
        QTest::newRow("0") << 0.0 << 0.0;
        QTest::newRow("0.1 (series)") << 0.1 << 0.0993359992;
        QTest::newRow("0.5") << 0.5 << 0.4244363835;
        QTest::newRow("maximum") << 0.9241388730 << 0.5410442246;
        QTest::newRow("1") << 1.0 << 0.5380795069;
        QTest::newRow("2") << 2.0 << 0.3013403889;
        QTest::newRow("-1 (odd)") << -1.0 << -0.5380795069;
        QTest::newRow("5") << 5.0 << 0.1021340744;
        QTest::newRow("100 (asymptotic 1/2x)") << 100.0 << 0.005000250037;
    }
    void dawsonMatchesKnownValues()
    {
        QFETCH(double, x);
        QFETCH(double, expected);
        QVERIFY2(std::abs(Dawson(x) - expected) <= 1e-6 * std::max(1e-3, std::abs(expected)),
                 qPrintable(QString::number(Dawson(x), 'g', 12)));
    }

    void lorentzClosedFormEqualsTheModulationCycleIntegral_data()
    {
        QTest::addColumn<double>("modAmp");
        QTest::newRow("a = hwhm / 10") << 0.13;
        QTest::newRow("a = hwhm") << 1.3;
        QTest::newRow("a = 2 hwhm") << 2.6;
    }
    void lorentzClosedFormEqualsTheModulationCycleIntegral()
    {
        QFETCH(double, modAmp);
        const TLorentzLine line(1.3);
        for (double d = -8; d <= 8; d += 0.37) {
            const TComplex closed = line.FirstHarmonic(d, modAmp);
            const TComplex numeric = line.TLineShape::FirstHarmonic(d, modAmp);
            QVERIFY2(std::abs(closed - numeric) < 1e-6 * std::abs(line.Profile(0)),
                     qPrintable(QStringLiteral("d %1: %2 vs %3").arg(d).arg(closed.imag()).arg(numeric.imag())));
        }
        QCOMPARE(line.FirstHarmonic(0.5, 0), TComplex(0));
    }

    void smallModulationGivesTheDerivative()
    {
        // Gaussian: first harmonic / a tends to psi'(d); checks dispersion and absorption at once.
        const TGaussLine line(3.0);
        const double a = 0.01;
        for (double d = -12; d <= 12; d += 0.5) {
            const TComplex ratio = line.FirstHarmonic(d, a) / a;
            const TComplex slope = line.Derivative(d);
            QVERIFY2(std::abs(ratio - slope) < 1e-4 * std::abs(line.Derivative(3.0)), qPrintable(QString::number(d)));
        }
    }

    void dispersionIsTheHilbertTransformOfAbsorption_data()
    {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<double>("d");
        for (const double d : {0.7, 3.0, 9.0, 15.0}) {
            QTest::addRow("gauss %g", d) << "gauss" << d;
            QTest::addRow("pake %g", d) << "pake" << d;
        }
        QTest::addRow("pake beyond the table") << "pake" << 70.0;
    }
    void dispersionIsTheHilbertTransformOfAbsorption()
    {
        QFETCH(QString, shape);
        QFETCH(double, d);
        const TGaussLine gauss(3.0);
        const TPakeLine pake(5.37, 1.54);
        const TLineShape& line = shape == "gauss" ? static_cast<const TLineShape&>(gauss) : pake;
        const double expected = Hilbert([&](double t) { return line.Profile(t).imag(); }, d, 200);
        QVERIFY2(std::abs(line.Profile(d).real() - expected) < 2e-4 * std::abs(line.Profile(0).imag()),
                 qPrintable(QStringLiteral("%1 vs %2").arg(line.Profile(d).real()).arg(expected)));
    }

    void pakeDoubletHasUnitAreaItsSecondMomentAndHorns()
    {
        const double alpha = 5.37, sigma = 1.54;
        const TPakeLine pake(alpha, sigma);
        QVERIFY(std::abs(AbsorptionIntegral(pake, 40, [](double) { return 1.0; }) - 1) < 1e-4);
        const double m2 = AbsorptionIntegral(pake, 40, [](double d) { return d * d; });
        QVERIFY2(std::abs(m2 - (0.8 * alpha * alpha + sigma * sigma)) < 1e-3 * m2, qPrintable(QString::number(m2)));
        // Symmetric horns; broadening pulls them in from +-alpha a little.
        double horn = 0;
        for (double d = 0; d < 2 * alpha; d += 0.01)
            if (pake.Profile(d).imag() > pake.Profile(horn).imag())
                horn = d;
        QVERIFY2(horn > 0.6 * alpha && horn < alpha, qPrintable(QString::number(horn)));
        QVERIFY(pake.Profile(horn).imag() > 1.2 * pake.Profile(0).imag());
        QCOMPARE(pake.Profile(-horn).imag(), pake.Profile(horn).imag());
    }
};

QTEST_MAIN(TestSimLineShape)
#include "test_SimLineShape.moc"
