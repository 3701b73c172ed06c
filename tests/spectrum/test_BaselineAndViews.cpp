// The automatic baseline, the baseline buttons, the derivative and absorption
// views, the absorption factor and the vertical expansion.
#include "Baseline.h"
#include "SeriesExtremes.h"
#include "SyntheticLines.h"
#include "Views.h"

#include <QtTest>
#include <numeric>

namespace {
std::vector<double> Xs(int count)
{
    std::vector<double> x(static_cast<size_t>(count));
    std::iota(x.begin(), x.end(), 0.0);
    return x;
}
} // namespace

class TestBaselineAndViews : public QObject {
    Q_OBJECT
private slots:
    void endCountIsATenthRoundedHalfToEven_data();
    void endCountIsATenthRoundedHalfToEven();
    void endMeansGiveOffsetAndSlopeOverN();
    void flatSpectrumGivesAFlatBaselineAndAZeroView();
    void baselineButtonsShiftAndTilt();
    void absorptionFactorFollowsTheLobeOrder();
    void absorptionOfADerivativeIsPositive();
    void verticalExpansion();
};

void TestBaselineAndViews::endCountIsATenthRoundedHalfToEven_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("n");
    QTest::newRow("1000") << 1000 << 100;
    QTest::newRow("25: 2.5 to the even 2") << 25 << 2;
    QTest::newRow("35: 3.5 to the even 4") << 35 << 4;
    QTest::newRow("4") << 4 << 0;
    QTest::newRow("2") << 2 << 0;
    QTest::newRow("65535") << 65535 << 6554;
}

void TestBaselineAndViews::endCountIsATenthRoundedHalfToEven()
{
    QFETCH(int, count);
    QFETCH(int, n);
    QCOMPARE(BaselineEndCount(count), n);
}

void TestBaselineAndViews::endMeansGiveOffsetAndSlopeOverN()
{
    // 25 points, n = 2: 100 at points 0..2, 0 at 22..24, something else between.
    std::vector<double> y(25, 37.0);
    for (int i = 0; i <= 2; ++i) {
        y[size_t(i)] = 100;
        y[size_t(24 - i)] = 0;
    }
    const TBaseline b = ComputeBaseline(y);
    QCOMPARE(double((long double)b.Offset), 100.0);
    QCOMPARE((long double)b.Slope, RoundToReal48(-100.0L / 25));
    // Only n + 1 points of each end count: point 3 is not in the mean.
    y[3] = 1000;
    QCOMPARE(double((long double)ComputeBaseline(y).Offset), 100.0);
    // Four points: each mean is one point.
    const TBaseline four = ComputeBaseline(std::vector<double>{8, 1, 2, 4});
    QCOMPARE(double((long double)four.Offset), 8.0);
    QCOMPARE(double((long double)four.Slope), -1.0);
}

void TestBaselineAndViews::flatSpectrumGivesAFlatBaselineAndAZeroView()
{
    const std::vector<double> y(50, 7.0), x = Xs(50);
    const TBaseline b = ComputeBaseline(y);
    const std::vector<double> base = BaselineValues(b, 50);
    QCOMPARE(base, std::vector<double>(50, 7.0));
    QCOMPARE(DerivativeView(TLineView(x, y), base), std::vector<double>(50, 0.0));
}

void TestBaselineAndViews::baselineButtonsShiftAndTilt()
{
    const int count = 100;
    const TSyntheticLine line = SampleLine(count, 20, GaussianDerivative(2, 200));
    TBaseline b = ComputeBaseline(line.Y);
    const std::vector<double> before = DerivativeView(line.View(), BaselineValues(b, count));
    for (int i = 0; i < 3; ++i)
        StepBaseline(b, TBaselineStep::Up);
    const std::vector<double> raised = DerivativeView(line.View(), BaselineValues(b, count));
    for (int i = 0; i < count; ++i)
        QVERIFY(qAbs(raised[size_t(i)] - (before[size_t(i)] - 3)) < 1e-9);
    StepBaseline(b, TBaselineStep::Down);
    const long double offset = b.Offset;
    // A tilt turns the line about point 0: the far end moves by 0.002 (N - 1).
    const double farEnd = b.At(count - 1);
    StepBaseline(b, TBaselineStep::Right);
    QCOMPARE((long double)b.Offset, offset);
    QVERIFY(qAbs(b.At(count - 1) - farEnd - 0.002 * (count - 1)) < 1e-9);
    QVERIFY(qAbs(b.At(0) - double(offset)) < 1e-12);
    StepBaseline(b, TBaselineStep::Left);
    QVERIFY(qAbs(b.At(count - 1) - farEnd) < 1e-9);
}

void TestBaselineAndViews::absorptionFactorFollowsTheLobeOrder()
{
    const std::vector<double> x = Xs(5);
    const std::vector<double> maxFirst{0, 9, 0, -9, 0}, minFirst{0, -9, 0, 9, 0}, flat(5, 3.0);
    QCOMPARE(AbsorptionFactor(TLineView(x, maxFirst)), 1);
    QCOMPARE(AbsorptionFactor(TLineView(x, minFirst)), -1);
    QCOMPARE(AbsorptionFactor(TLineView(x, flat)), -1);
    // Clipped at the axis bounds: no point below 500 (or above -500) gives
    // the first point, so the factor is defined.
    const std::vector<double> top(5, 500.0), bottom(5, -500.0);
    QCOMPARE(MinYIndex(TLineView(x, top)), 0);
    QCOMPARE(MaxYIndex(TLineView(x, bottom)), 0);
    QCOMPARE(AbsorptionFactor(TLineView(x, top)), -1);
    QCOMPARE(AbsorptionFactor(TLineView(x, bottom)), -1);
}

void TestBaselineAndViews::absorptionOfADerivativeIsPositive()
{
    for (const double sign : {1.0, -1.0}) {
        TSyntheticLine line = SampleLine(401, 40, GaussianDerivative(3, 250));
        for (double& y : line.Y)
            y = sign * y + 12;  // riding on an offset
        const std::vector<double> base = BaselineValues(ComputeBaseline(line.Y), 401);
        const TIntegrator absorption = AbsorptionView(line.View(), base);
        QCOMPARE(absorption.Factor, sign > 0 ? 1 : -1);
        QCOMPARE(absorption.DestY.size(), size_t(401));
        // The Gaussian it came from tops at height * sigma * sqrt(e), at the middle point.
        const double top = *std::max_element(absorption.DestY.begin(), absorption.DestY.end());
        QVERIFY2(qAbs(top - 250 * 3 * std::sqrt(std::exp(1.0))) < 2, qPrintable(QString::number(top)));
        QVERIFY(qAbs(absorption.DestY[200] - top) < 1e-6 * top + 0.1);
        QVERIFY(absorption.DestY.front() == 0 && qAbs(absorption.DestY.back()) < 1);
    }
}

void TestBaselineAndViews::verticalExpansion()
{
    const std::vector<double> y{3, -20, 180, 0};
    const TAxisRange r = VerticalExpansion(y);
    QCOMPARE(r.Minimum, -20.0);
    QCOMPARE(r.Maximum, 180.0);
}

QTEST_GUILESS_MAIN(TestBaselineAndViews)
#include "test_BaselineAndViews.moc"
