// The fit's line shapes against computations made here the plain way: the
// lock-in's cycle average of the swept absorption with many phase samples,
// central differences of the absorption, and a brute-force powder average;
// their derivatives (the fit's Jacobian) against central differences of the
// shapes. Tolerances are relative to the highest point of the curve compared.
#include "FitTestLines.h"
#include "LineShapeModels.h"

#include <QtTest>
#include <algorithm>
#include <cmath>
#include <numeric>

Q_DECLARE_METATYPE(TShape)

namespace {

// Largest difference between the shape and the reference over d in [-reach, reach],
// over the largest reference value.
double RelativeError(const TShape& shape, const std::function<double(double)>& reference, double reach)
{
    double worst = 0, peak = 0;
    for (int i = 0; i <= 200; ++i) {
        const double d = -reach + 2 * reach * i / 200;
        const double want = reference(d);
        worst = std::max(worst, std::abs(ModulatedShape(shape, d).Of[ShapeValue] - want));
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
    void derivativesOfTheShapes_data();
    void derivativesOfTheShapes();
    void longSpectraThroughTheTable();
    void peakToPeakWidths();
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

void TestLineShapeModels::derivativesOfTheShapes_data()
{
    QTest::addColumn<TShape>("shape");
    QTest::newRow("gauss") << TShape{TShapeKind::Gauss, 1.3, 0, 0, 0};
    QTest::newRow("gauss, modulated") << TShape{TShapeKind::Gauss, 1.3, 0, 0, 0.9};
    QTest::newRow("lorentz, modulated") << TShape{TShapeKind::Lorentz, 0.8, 0, 0, 1.7};
    QTest::newRow("pseudo-Voigt, modulated") << TShape{TShapeKind::Voigt, 1.0, 0.35, 0, 0.6};
    QTest::newRow("pake, modulated") << TShape{TShapeKind::Pake, 1.2, 0, 4.0, 0.5};
}

// d/dd, d/dwidth and d/deta (d/dalpha) of the modulated shape against
// central differences of its value.
void TestLineShapeModels::derivativesOfTheShapes()
{
    QFETCH(TShape, shape);
    const auto value = [](const TShape& s, double d) { return ModulatedShape(s, d).Of[ShapeValue]; };
    const double h = 1e-5;
    double worst[3] = {}, peak = 0;
    for (int i = 0; i <= 120; ++i) {
        const double d = -12 + 24.0 * i / 120;
        const TShapePoint p = ModulatedShape(shape, d);
        TShape wider = shape, narrower = shape, more = shape, less = shape;
        wider.Width += h;
        narrower.Width -= h;
        (shape.Kind == TShapeKind::Pake ? more.Alpha : more.Eta) += h;
        (shape.Kind == TShapeKind::Pake ? less.Alpha : less.Eta) -= h;
        const double byD = (value(shape, d + h) - value(shape, d - h)) / (2 * h);
        const double byWidth = (value(wider, d) - value(narrower, d)) / (2 * h);
        const double byExtra = (value(more, d) - value(less, d)) / (2 * h);
        worst[0] = std::max(worst[0], std::abs(p.Of[ShapeByD] - byD));
        worst[1] = std::max(worst[1], std::abs(p.Of[ShapeByWidth] - byWidth));
        if (shape.Kind == TShapeKind::Voigt || shape.Kind == TShapeKind::Pake)
            worst[2] = std::max(worst[2], std::abs(p.Of[ShapeByExtra] - byExtra));
        peak = std::max({peak, std::abs(byD), std::abs(byWidth), std::abs(byExtra)});
    }
    for (const double w : worst)
        QVERIFY2(w < 1e-5 * peak, qPrintable(QStringLiteral("%1 %2 %3 of %4").arg(worst[0]).arg(worst[1]).arg(worst[2]).arg(peak)));
}

// Long spectra and many lines are computed through tables of the shape
// (fine near each line, coarse in the Lorentzian tails): they must agree
// with the shape at every point, the value to 2e-5 of its peak, the
// derivatives (which only steer the fit) to 1e-4.
void TestLineShapeModels::longSpectraThroughTheTable()
{
    const std::vector<double> x = Grid(65535, 40);
    std::vector<double> positions, weights;
    for (int k = 0; k < 9; ++k) {
        positions.push_back(0.3 + (k - 4) * 2.0);
        weights.push_back(0.1 + 0.02 * k);
    }
    for (const TShape shape : {TShape{TShapeKind::Gauss, 1.2, 0, 0, 0.7}, TShape{TShapeKind::Lorentz, 0.5, 0, 0, 0.3},
                               TShape{TShapeKind::Voigt, 0.8, 0.6, 0, 1.0}, TShape{TShapeKind::Pake, 1.5, 0, 5.4, 0.5}}) {
        for (const TShapeChannel channel : {ShapeValue, ShapeByWidth}) {
            std::vector<double> curve(x.size(), 0.0);
            const TLineSum sum{channel, weights, curve};
            SumLines(shape, positions, x, {&sum, 1});
            double worst = 0, peak = 0;
            for (size_t i = 0; i < x.size(); i += 97) {
                double want = 0;
                for (size_t k = 0; k < positions.size(); ++k)
                    want += weights[k] * ModulatedShape(shape, x[i] - positions[k]).Of[channel];
                worst = std::max(worst, std::abs(curve[i] - want));
                peak = std::max(peak, std::abs(want));
            }
            QVERIFY2(worst < (channel == ShapeValue ? 2e-5 : 1e-4) * peak,
                     qPrintable(QStringLiteral("shape %1, channel %2: %3").arg(int(shape.Kind)).arg(channel).arg(worst / peak)));
        }
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

QTEST_GUILESS_MAIN(TestLineShapeModels)
#include "test_LineShapeModels.moc"
