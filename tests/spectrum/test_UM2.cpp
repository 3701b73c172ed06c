// Moment routines: one-point halves, direction, zero sums, the modulation
// correction, the spacing rule and the largest point count.
#include "Real48.h"
#include "UM2.h"

#include <QtTest>
#include <vector>

namespace {
struct TLine {
    std::vector<double> X, Y;
    TLineView View() const { return TLineView(X, Y); }
};

TLine Grid(const std::vector<double>& y, double dX)
{
    TLine line{{}, y};
    for (size_t i = 0; i < y.size(); ++i)
        line.X.push_back(i * dX);
    return line;
}

bool Near(long double a, long double b, long double relative)
{
    return std::fabs(a - b) <= relative * std::fabs(b);
}
} // namespace

class TestUM2 : public QObject {
    Q_OBJECT
private slots:
    void onePointHalf();
    void leftwardWalkMirrorsRightward();
    void zeroDenominatorGivesZero();
    void modulationCorrection();
    void onlyTheFirstTwoXValuesSetTheSpacing();
    void weightsExactAtTheLargestPointCount();
};

void TestUM2::onePointHalf()
{
    const TLine line = Grid({0, 4, 0}, 0.5);
    const long double dX2 = 0.25L;
    const Real48 p = 0.2L;
    const double corr = double((long double)ModulationCorrection(p));
    QVERIFY(Near(M2FromDerivative(line.View(), 1, 1, p), double(dX2 / 3) - corr, 1e-15L));
    QVERIFY(Near(M2FromAbsorption(line.View(), 1, 1, p), double(dX2) - corr, 1e-15L));
    QCOMPARE(M4FromDerivative(line.View(), 1, 1), double(dX2 * dX2 * 0.2L));
    QCOMPARE(M4FromAbsorption(line.View(), 1, 1), double(dX2 * dX2));
    // y = 0 at the point: every routine 0, without the correction.
    QCOMPARE(M2FromDerivative(line.View(), 0, 0, p), 0.0);
    QCOMPARE(M2FromAbsorption(line.View(), 2, 2, p), 0.0);
    QCOMPARE(M4FromDerivative(line.View(), 0, 0), 0.0);
    QCOMPARE(M4FromAbsorption(line.View(), 0, 0), 0.0);
}

void TestUM2::leftwardWalkMirrorsRightward()
{
    const TLine line = Grid({9, 7, 4, 1, 4, 7, 9}, 0.1);
    const TLine absorption = Grid({1, 3, 6, 9, 6, 3, 1}, 0.1);
    QCOMPARE(M2FromDerivative(line.View(), 3, 0, 0.0L), M2FromDerivative(line.View(), 3, 6, 0.0L));
    QCOMPARE(M4FromDerivative(line.View(), 3, 0), M4FromDerivative(line.View(), 3, 6));
    QCOMPARE(M2FromAbsorption(absorption.View(), 3, 0, 0.0L), M2FromAbsorption(absorption.View(), 3, 6, 0.0L));
    QCOMPARE(M4FromAbsorption(absorption.View(), 3, 0), M4FromAbsorption(absorption.View(), 3, 6));
    // Known sums: absorption 9, 6, 3, 1 at k = 1..4: sum k^2 y = 9 + 24 + 27 + 16 = 76, sum y = 19.
    QVERIFY(Near(M2FromAbsorption(absorption.View(), 3, 6, 0.0L), 76.0 / 19 * 0.01, 1e-14L));
}

void TestUM2::zeroDenominatorGivesZero()
{
    // sum y = 0 for the absorption routines; sum k y = 1*2 + 2*(-1) = 0 for the derivative ones.
    const TLine balanced = Grid({2, -1, -1}, 1);
    QCOMPARE(M2FromAbsorption(balanced.View(), 0, 2, 3.0L), 0.0);
    QCOMPARE(M4FromAbsorption(balanced.View(), 0, 2), 0.0);
    const TLine firstMoment = Grid({2, -1, 0}, 1);
    QCOMPARE(M2FromDerivative(firstMoment.View(), 0, 1, 3.0L), 0.0);
    QCOMPARE(M4FromDerivative(firstMoment.View(), 0, 1), 0.0);
}

void TestUM2::modulationCorrection()
{
    QCOMPARE((double)(long double)ModulationCorrection(2.0L), 1.0);
    // 0.1 is not exact in the 6-byte real: the correction is its square / 4, rounded again.
    const long double p = RoundToReal48(0.1L);
    QCOMPARE((long double)ModulationCorrection(0.1L), RoundToReal48(p * p * 0.25L));
    // P = 0 leaves M2 uncorrected; a large P makes it negative and it is returned so.
    const TLine line = Grid({5, 5}, 1);
    QCOMPARE(M2FromAbsorption(line.View(), 0, 1, 0.0L), (1 * 5 + 4 * 5) / 10.0);
    QCOMPARE(M2FromAbsorption(line.View(), 0, 1, 10.0L), 2.5 - 25);
}

void TestUM2::onlyTheFirstTwoXValuesSetTheSpacing()
{
    TLine line = Grid({1, 2, 3, 4, 5}, 0.2);
    const double before = M2FromAbsorption(line.View(), 2, 4, 0.0L);
    line.X[3] = 100;
    line.X[4] = -7;
    QCOMPARE(M2FromAbsorption(line.View(), 2, 4, 0.0L), before);
    line.X[1] = 0.4;  // the spacing doubles: M2 four times
    QVERIFY(Near(M2FromAbsorption(line.View(), 2, 4, 0.0L), 4 * before, 1e-14L));
}

void TestUM2::weightsExactAtTheLargestPointCount()
{
    // 65535 points of y = 1 and dX = 1: the sums are closed forms of k up to
    // 65535, where k^5 is about 1.2e24 and passes 64-bit integers.
    const int n = 65535;
    const TLine line = Grid(std::vector<double>(size_t(n), 1.0), 1);
    const __int128 N = n;
    const __int128 s0 = N;
    const __int128 s1 = N * (N + 1) / 2;
    const __int128 s4 = N * (N + 1) * (2 * N + 1) * (3 * N * N + 3 * N - 1) / 30;
    const __int128 s5 = N * N * (N + 1) * (N + 1) * (2 * N * N + 2 * N - 1) / 12;
    QVERIFY(Near(M4FromAbsorption(line.View(), 0, n - 1), (long double)s4 / (long double)s0, 1e-15L));
    QVERIFY(Near(M4FromDerivative(line.View(), 0, n - 1), (long double)s5 / (long double)s1 * 0.2L, 1e-15L));
    // The walk from the far end back to the start sees the same weights.
    QVERIFY(Near(M4FromAbsorption(line.View(), n - 1, 0), (long double)s4 / (long double)s0, 1e-15L));
    const __int128 s2 = N * (N + 1) * (2 * N + 1) / 6;
    const __int128 s3 = s1 * s1;
    QVERIFY(Near(M2FromAbsorption(line.View(), 0, n - 1, 0.0L), (long double)s2 / (long double)s0, 1e-13L));
    QVERIFY(Near(M2FromDerivative(line.View(), 0, n - 1, 0.0L), (long double)s3 / (long double)s1 / 3, 1e-13L));
}

QTEST_GUILESS_MAIN(TestUM2)
#include "test_UM2.moc"
