// The fit's line shapes against computations made here the plain way: the
// lock-in's cycle average of the swept absorption with many phase samples,
// central differences of the absorption, and a brute-force powder average.
// Tolerances are relative to the highest point of the curve compared.
#include "FitTestLines.h"
#include "LineShapeModels.h"

#include <QtTest>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// Largest difference between the shape and the reference over d in [-reach, reach],
// over the largest reference value.
double RelativeError(const TShape& shape, const std::function<double(double)>& reference, double reach)
{
    double worst = 0, peak = 0;
    for (int i = 0; i <= 200; ++i) {
        const double d = -reach + 2 * reach * i / 200;
        const double want = reference(d);
        worst = std::max(worst, std::abs(ModulatedSlope(shape, d) - want));
        peak = std::max(peak, std::abs(want));
    }
    return worst / peak;
}

} // namespace

class TestLineShapeModels : public QObject {
    Q_OBJECT
private slots:
    void modulatedFirstHarmonic_data();
    void modulatedFirstHarmonic();
    void pakePowderAverage();
    void longSpectraThroughTheTable();
    void peakToPeakWidths();
    void multipletIntensities();
};

void TestLineShapeModels::modulatedFirstHarmonic_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("eta");
    QTest::addColumn<double>("modAmp");
    QTest::addColumn<double>("tolerance");
    // The Lorentzian's closed form agrees with the cycle average to rounding;
    // the phase quadrature of the others to 1e-6 of the peak.
    for (const double a : {0.0, 0.05, 0.5, 1.0, 2.0, 5.0}) {
        QTest::addRow("lorentz, a %g", a) << int(TShapeKind::Lorentz) << 1.0 << 0.0 << a << 1e-9;
        QTest::addRow("gauss, a %g", a) << int(TShapeKind::Gauss) << 1.0 << 0.0 << a << 1e-6;
        QTest::addRow("voigt 0.3, a %g", a) << int(TShapeKind::Voigt) << 1.0 << 0.3 << a << 1e-6;
    }
}

void TestLineShapeModels::modulatedFirstHarmonic()
{
    QFETCH(int, kind);
    QFETCH(double, width);
    QFETCH(double, eta);
    QFETCH(double, modAmp);
    QFETCH(double, tolerance);
    const TShape shape{TShapeKind(kind), width, eta, 0, modAmp};
    const TAbsorption lorentz = LorentzAbsorptionOf(width);
    // The voigt's Gaussian part has the same half width: sigma = hwhm / sqrt(2 ln 2).
    const TAbsorption gauss = GaussAbsorptionOf(kind == int(TShapeKind::Voigt) ? width / std::sqrt(2 * std::log(2.0)) : width);
    const TAbsorption absorption = kind == int(TShapeKind::Lorentz) ? lorentz
                                   : kind == int(TShapeKind::Gauss) ? gauss
                                                                    : TAbsorption([&](double d) { return eta * lorentz(d) + (1 - eta) * gauss(d); });
    // Without modulation the central difference has its own error of ~1e-10.
    const double error = RelativeError(shape, [&](double d) { return FirstHarmonic(absorption, d, modAmp, 4000); },
                                       modAmp + 6 * width);
    QVERIFY2(error < std::max(tolerance, modAmp == 0 ? 1e-8 : 0.0), qPrintable(QString::number(error)));
}

void TestLineShapeModels::pakePowderAverage()
{
    for (const double modAmp : {0.0, 0.5, 2.0}) {
        const TShape shape{TShapeKind::Pake, 1.54, 0, 5.37, modAmp};
        const TAbsorption powder = PowderAbsorption(5.37, 1.54, 1500);
        const double error = RelativeError(shape, [&](double d) { return FirstHarmonic(powder, d, modAmp, 32); }, 20);
        QVERIFY2(error < 1e-4, qPrintable(QStringLiteral("a %1: %2").arg(modAmp).arg(error)));
    }
}

// A 65535-point spectrum is computed through a table of the shape: it must
// agree with the shape at every point.
void TestLineShapeModels::longSpectraThroughTheTable()
{
    const std::vector<double> x = Grid(65535, 40);
    for (const TShape shape : {TShape{TShapeKind::Gauss, 1.2, 0, 0, 0.7}, TShape{TShapeKind::Lorentz, 0.5, 0, 0, 0.3},
                               TShape{TShapeKind::Voigt, 0.8, 0.6, 0, 1.0}, TShape{TShapeKind::Pake, 1.5, 0, 5.4, 0.5}}) {
        std::vector<double> curve(x.size(), 0.0);
        const double weights[] = {0.25, 0.5, 0.25};
        AddShapeCurve(shape, 0.3, 2.0, weights, x, 2.0, curve);
        double worst = 0, peak = 0;
        for (size_t i = 0; i < x.size(); i += 97) {
            double want = 0;
            for (int k = 0; k < 3; ++k)
                want += 2.0 * weights[k] * ModulatedSlope(shape, x[i] - 0.3 - (k - 1) * 2.0);
            worst = std::max(worst, std::abs(curve[i] - want));
            peak = std::max(peak, std::abs(want));
        }
        QVERIFY2(worst < 2e-5 * peak, qPrintable(QStringLiteral("shape %1: %2").arg(int(shape.Kind)).arg(worst / peak)));
    }
}

void TestLineShapeModels::peakToPeakWidths()
{
    // The voigt's limits are the Lorentzian (2 hwhm / sqrt 3) and the Gaussian (2 sigma).
    QVERIFY(std::abs(PeakToPeakWidth({TShapeKind::Voigt, 1.0, 1.0, 0, 0}) - 2 / std::sqrt(3.0)) < 1e-6);
    QVERIFY(std::abs(PeakToPeakWidth({TShapeKind::Voigt, 1.0, 0.0, 0, 0}) - 2 / std::sqrt(2 * std::log(2.0))) < 1e-6);
    const double mixed = PeakToPeakWidth({TShapeKind::Voigt, 1.0, 0.5, 0, 0});
    QVERIFY(mixed > 2 / std::sqrt(3.0) && mixed < 2 / std::sqrt(2 * std::log(2.0)));
    // The Pake doublet's derivative is steepest just outside the horns at +-alpha.
    const double pake = PeakToPeakWidth({TShapeKind::Pake, 0.3, 0, 5.0, 0});
    QVERIFY2(pake > 10 && pake < 11, qPrintable(QString::number(pake)));
    // The modulation does not enter: it is the width of the line itself.
    QCOMPARE(PeakToPeakWidth({TShapeKind::Voigt, 1.0, 0.5, 0, 3.0}), mixed);
}

void TestLineShapeModels::multipletIntensities()
{
    const auto pattern = [](int n, double spin) {
        std::vector<double> w = MultipletWeights(n, spin);
        const double smallest = *std::min_element(w.begin(), w.end());
        for (double& v : w)
            v = std::round(v / smallest * 1e6) / 1e6;
        return w;
    };
    QCOMPARE(pattern(1, 1), (std::vector<double>{1, 1, 1}));
    QCOMPARE(pattern(2, 1), (std::vector<double>{1, 2, 3, 2, 1}));
    QCOMPARE(pattern(2, 0.5), (std::vector<double>{1, 2, 1}));
    QCOMPARE(pattern(3, 0.5), (std::vector<double>{1, 3, 3, 1}));
    QCOMPARE(pattern(1, 1.5), (std::vector<double>{1, 1, 1, 1}));
    const std::vector<double> w = MultipletWeights(4, 1);
    QCOMPARE(int(w.size()), 9);
    QVERIFY(std::abs(std::accumulate(w.begin(), w.end(), 0.0) - 1) < 1e-12);
}

QTEST_GUILESS_MAIN(TestLineShapeModels)
#include "test_LineShapeModels.moc"
