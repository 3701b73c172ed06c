#include "Errors.h"
#include "Real48.h"

#include <QtTest>
#include <cmath>
#include <random>

Q_DECLARE_METATYPE(TReal48Bytes)

class TestReal48 : public QObject {
    Q_OBJECT
private slots:
    void bytes_data();
    void bytes();
    void roundsHalfToEvenAtTheLastFractionBit_data();
    void roundsHalfToEvenAtTheLastFractionBit();
    void roundTripsAndStaysWithinHalfAUnit();
    void rangeLimits();
    void valueTypeRoundsOnEveryAssignment();
};

void TestReal48::bytes_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<TReal48Bytes>("expected");
    QTest::newRow("zero") << 0.0 << TReal48Bytes{0, 0, 0, 0, 0, 0};
    QTest::newRow("one") << 1.0 << TReal48Bytes{0x81, 0, 0, 0, 0, 0};
    QTest::newRow("minus one") << -1.0 << TReal48Bytes{0x81, 0, 0, 0, 0, 0x80};
    QTest::newRow("0.1") << 0.1 << TReal48Bytes{0x7D, 0xCD, 0xCC, 0xCC, 0xCC, 0x4C};
    QTest::newRow("-2.5") << -2.5 << TReal48Bytes{0x82, 0, 0, 0, 0, 0xA0};
    QTest::newRow("1000") << 1000.0 << TReal48Bytes{0x8A, 0, 0, 0, 0, 0x7A};
    QTest::newRow("smallest") << std::ldexp(1.0, -128) << TReal48Bytes{0x01, 0, 0, 0, 0, 0};
}

void TestReal48::bytes()
{
    QFETCH(double, value);
    QFETCH(TReal48Bytes, expected);
    QCOMPARE(Real48ToBytes(value), expected);
    QCOMPARE(Real48FromBytes(expected), RoundToReal48(value));
}

void TestReal48::roundsHalfToEvenAtTheLastFractionBit_data()
{
    // One unit of the last fraction bit near 1 is 2^-39.
    const long double unit = std::ldexp(1.0L, -39);
    QTest::addColumn<long double>("value");
    QTest::addColumn<long double>("expected");
    QTest::newRow("half to even below") << 1 + unit / 2 << 1.0L;
    QTest::newRow("half to even above") << 1 + 3 * unit / 2 << 1 + 2 * unit;
    QTest::newRow("just above half") << 1 + unit / 2 + std::ldexp(1.0L, -62) << 1 + unit;
    QTest::newRow("just below half") << 1 + unit / 2 - std::ldexp(1.0L, -62) << 1.0L;
    QTest::newRow("negative half") << -(1 + 3 * unit / 2) << -(1 + 2 * unit);
    QTest::newRow("carry into exponent") << 2 - unit / 4 << 2.0L;
    QTest::newRow("0.1") << 0.1L << std::ldexp((long double)0xCCCCCCCCCDULL, -43);
}

void TestReal48::roundsHalfToEvenAtTheLastFractionBit()
{
    QFETCH(long double, value);
    QFETCH(long double, expected);
    QCOMPARE(RoundToReal48(value), expected);
}

void TestReal48::roundTripsAndStaysWithinHalfAUnit()
{
    std::mt19937_64 random(48);
    std::uniform_real_distribution<double> mantissa(-2.0, 2.0);
    std::uniform_int_distribution<int> exponent(-120, 120);
    for (int k = 0; k < 2000; ++k) {
        const long double v = std::ldexp((long double)mantissa(random), exponent(random));
        const long double r = RoundToReal48(v);
        QCOMPARE(RoundToReal48(r), r);
        QCOMPARE(Real48FromBytes(Real48ToBytes(v)), r);
        QVERIFY2(std::fabs(r - v) <= std::ldexp(std::fabs(v), -40), qPrintable(QString::number(double(v))));
    }
}

void TestReal48::rangeLimits()
{
    const long double largest = std::ldexp(2.0L - std::ldexp(1.0L, -39), 126);
    QCOMPARE(RoundToReal48(largest), largest);
    QCOMPARE(Real48ToBytes(largest), (TReal48Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}));
    for (const long double tooLarge : {std::ldexp(1.0L, 127), largest + std::ldexp(1.0L, 86), -std::ldexp(1.0L, 127),
                                       (long double)INFINITY})
        QVERIFY_THROWS_EXCEPTION(EMerilError, RoundToReal48(tooLarge));
    try {
        RoundToReal48(NAN);
        QFAIL("NaN accepted");
    } catch (const EMerilError& e) {
        QCOMPARE(e.Text(), QStringLiteral("Invalid floating point operation"));
    }
    // Below the smallest magnitude the value becomes zero.
    QCOMPARE(RoundToReal48(std::ldexp(1.0L, -129)), 0.0L);
    QCOMPARE(RoundToReal48(-std::ldexp(1.0L, -140)), 0.0L);
    // An exponent byte of 0 is zero whatever the other bytes hold.
    QCOMPARE(Real48FromBytes({0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}), 0.0L);
}

void TestReal48::valueTypeRoundsOnEveryAssignment()
{
    Real48 sum;
    long double exact = 0;
    for (int k = 0; k < 10; ++k) {
        sum += 0.1L;
        exact += 0.1L;
        QCOMPARE((long double)sum, RoundToReal48((long double)sum));
    }
    QVERIFY((long double)sum != exact);
    QVERIFY(std::fabs(sum - 1.0L) < 1e-11L);

    Real48 scale = 1.0L;
    scale = 1.0L + 1e-13L;                 // below the format's resolution
    QCOMPARE((long double)scale, 1.0L);
    scale *= 3;
    scale /= 7;
    QCOMPARE((long double)scale, RoundToReal48(3.0L / 7));
    QCOMPARE((long double)Real48::FromBytes(Real48(0.1L).Bytes()), RoundToReal48(0.1L));

    // The screen scale of a 1024 pixel wide screen and the marker sizes from it.
    const Real48 screenScale = 1024 * 0.00125L * 1.09L;
    QCOMPARE(int(137 * screenScale), 191);
    QCOMPARE(int(320 * screenScale), 446);
}

QTEST_MAIN(TestReal48)
#include "test_Real48.moc"
