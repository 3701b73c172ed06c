// The series integrator: trapezoids, baseline, clamping, the automatic scale.
#include "Real48.h"
#include "UIntegration.h"

#include <QtTest>
#include <vector>

namespace {
struct TLine {
    std::vector<double> X, Y;
    TLine(int count, double dX, double y) : X(size_t(count)), Y(size_t(count), y)
    {
        for (int i = 0; i < count; ++i)
            X[size_t(i)] = -1 + i * dX;
    }
    TLineView View() const { return TLineView(X, Y); }
};

TIntegrator Integrator(const TLineView& source, int factor, bool autoScale = false,
                       std::span<const double> baseline = {})
{
    TIntegrator it;
    it.Init(source, baseline, -500, 500, autoScale);
    it.Factor = factor;
    return it;
}
} // namespace

class TestUIntegration : public QObject {
    Q_OBJECT
private slots:
    void trapezoidsAndTheOutputGrid();
    void baselineSubtractedByIndex();
    void rangeClampedToTheDrawnPoints();
    void firstBeyondLastGivesOnePointAtZero();
    void factorMirrorsOrFlattens();
    void autoScaleShrinksToFourFifthsOfTheAxis();
    void autoScaleKeepsScaleInsideTheAxisAndAcrossRuns();
    void negativeIntegralScaledByTheBottom();
    void sumIsASixByteReal();
};

void TestUIntegration::trapezoidsAndTheOutputGrid()
{
    TLine line(5, 0.5, 1.0);
    line.Y = {0, 2, 2, 0, 4};
    TIntegrator it = Integrator(line.View(), 2);
    QCOMPARE(it.TrapezoidStep(1), 1.0);  // (0 + 2) / 2 * 0.5 * 2
    it.Run(0, 4);
    QCOMPARE(it.DestY, (std::vector<double>{0, 1, 3, 4, 6}));
    QCOMPARE(it.DestX, (std::vector<double>{-1, -0.5, 0, 0.5, 1}));
    QCOMPARE((double)(long double)it.Sum, 6.0);
    // The trapezoids use the true spacing; the output lies on the grid of the first two x.
    line.X[4] = 3;  // the last step is 2.5 wide
    it.Run(0, 4);
    QCOMPARE(it.DestY.back(), 4 + 2 * 2.5 * 2);
    QCOMPARE(it.DestX.back(), 1.0);
}

void TestUIntegration::baselineSubtractedByIndex()
{
    TLine line(4, 1, 5.0);
    const std::vector<double> baseline{5, 5, 5, 3};
    TIntegrator it = Integrator(line.View(), 1, false, baseline);
    QCOMPARE(it.CorrectedY(0), 0.0);
    QCOMPARE(it.CorrectedY(3), 2.0);
    it.Run(0, 3);
    QCOMPARE(it.DestY, (std::vector<double>{0, 0, 0, 1}));
    // Without a baseline the source y itself.
    QCOMPARE(Integrator(line.View(), 1).CorrectedY(3), 5.0);
}

void TestUIntegration::rangeClampedToTheDrawnPoints()
{
    TLine line(10, 1, 1.0);
    TIntegrator it = Integrator(TLineView(line.X, line.Y, 2, 5), 1);
    it.Run(0, 9);
    QCOMPARE(it.DestX, (std::vector<double>{1, 2, 3, 4}));
    QCOMPARE(it.DestY, (std::vector<double>{0, 1, 2, 3}));
}

void TestUIntegration::firstBeyondLastGivesOnePointAtZero()
{
    TLine line(10, 1, 7.0);
    TIntegrator it = Integrator(line.View(), 1, true);
    it.Run(6, 3);
    QCOMPARE(it.DestX, (std::vector<double>{5}));
    QCOMPARE(it.DestY, (std::vector<double>{0}));
    QCOMPARE((double)(long double)it.Sum, 0.0);
    // A first index beyond the source (a cursor one past the end) is not read.
    it.Run(10, 9);
    QCOMPARE(it.DestY, (std::vector<double>{0}));
}

void TestUIntegration::factorMirrorsOrFlattens()
{
    TLine line(6, 1, 3.0);
    TIntegrator plus = Integrator(line.View(), 1);
    TIntegrator minus = Integrator(line.View(), -1);
    TIntegrator zero = Integrator(line.View(), 0);
    plus.Run(0, 5);
    minus.Run(0, 5);
    zero.Run(0, 5);
    for (size_t i = 0; i < plus.DestY.size(); ++i) {
        QCOMPARE(minus.DestY[i], -plus.DestY[i]);
        QCOMPARE(zero.DestY[i], 0.0);
    }
    QCOMPARE((double)(long double)zero.Sum, 0.0);
}

void TestUIntegration::autoScaleShrinksToFourFifthsOfTheAxis()
{
    // An integral reaching 2000 against an axis of -500..500: Top = 0.25, Scale 0.2.
    TLine line(3, 1, 1000.0);
    TIntegrator it = Integrator(line.View(), 1, true);
    it.Run(0, 2);
    QCOMPARE((double)(long double)it.Scale, double(RoundToReal48(0.8L * 0.25L)));
    QCOMPARE((double)(long double)it.Sum, 2000.0);  // unscaled
    QCOMPARE(it.DestY.back(), 2000 * double(RoundToReal48(0.2L)));
    QVERIFY(qAbs(it.DestY.back() - 400) < 1e-9);
}

void TestUIntegration::autoScaleKeepsScaleInsideTheAxisAndAcrossRuns()
{
    TLine line(3, 1, 100.0);
    TIntegrator it = Integrator(line.View(), 1, true);
    it.Run(0, 2);
    QCOMPARE((double)(long double)it.Scale, 1.0);
    // Grow the line: the scale shrinks; a later small integral keeps it.
    line.Y = {1000, 1000, 1000};
    it.Run(0, 2);
    const double shrunk = double((long double)it.Scale);
    QVERIFY(shrunk < 0.21 && shrunk > 0.19);
    line.Y = {1, 1, 1};
    it.Run(0, 2);
    QCOMPARE(double((long double)it.Scale), shrunk);
    // Init restores 1.0, without automatic scaling nothing changes it.
    it.Init(line.View(), {}, -500, 500, false);
    QCOMPARE(double((long double)it.Scale), 1.0);
    line.Y = {1000, 1000, 1000};
    it.Run(0, 2);
    QCOMPARE(double((long double)it.Scale), 1.0);
}

void TestUIntegration::negativeIntegralScaledByTheBottom()
{
    // Sum falls to -2000; the measuring pass starts Max and Min from the y at
    // First (-1000), so only the bottom limits: -500 / -2000 = 0.25.
    TLine line(3, 1, -1000.0);
    TIntegrator it = Integrator(line.View(), 1, true);
    it.Run(0, 2);
    QVERIFY(qAbs(double((long double)it.Scale) - 0.2) < 1e-11);
    QVERIFY(qAbs(it.DestY.back() + 400) < 1e-8);
    // Against an axis reaching down to -5000 the integral fits: Scale stays 1.
    TIntegrator positiveAxis;
    positiveAxis.Init(line.View(), {}, -5000, 500, true);
    positiveAxis.Factor = 1;
    positiveAxis.Run(0, 2);
    QCOMPARE(double((long double)positiveAxis.Scale), 1.0);
}

void TestUIntegration::sumIsASixByteReal()
{
    TLine line(31, 1, 1.0 / 3.0);
    TIntegrator it = Integrator(line.View(), 1);
    it.Run(0, 30);
    const long double sum = it.Sum;
    QCOMPARE(RoundToReal48(sum), sum);
    QVERIFY(qAbs(double(sum) - 10.0) < 1e-10);
    for (const double y : it.DestY)
        QCOMPARE(double(RoundToReal48(y)), y);  // every plotted value was a 6-byte sum
}

QTEST_GUILESS_MAIN(TestUIntegration)
#include "test_UIntegration.moc"
