#include "Errors.h"
#include "Freq.h"
#include "NumFormat.h"
#include "Real48.h"
#include "UTextTbl.h"

#include <QtTest>
#include <functional>

class TestUTextTbl : public QObject {
    Q_OBJECT
private slots:
    void init() { ZeroOffset = {}; }
    void captions_data();
    void captions();
    void frequencyAndStepConversions();
    void resonanceFieldFollowsZeroOffset();
    void b0StepPositions();
    void valueTables();
    void textTables();
    void indexesOutsideTheTablesThrow();
};

void TestUTextTbl::captions_data()
{
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");
    QTest::newRow("phase max") << FormatPhase(239) << "  358.5 \u00B0";
    QTest::newRow("phase zero") << FormatPhase(0) << "    0.0 \u00B0";
    QTest::newRow("phase step") << FormatPhase(1) << "    1.5 \u00B0";
    QTest::newRow("gain") << FormatInteger(255) << "255";
    QTest::newRow("B0 1H Gs") << FormatB0(0, true, 0) << "3 288.12 Gs";
    QTest::newRow("B0 1H mT") << FormatB0(0, false, 0) << "328.812 mT";
    QTest::newRow("B0 1H low end") << FormatB0(0, true, -2000) << "3 088.12 Gs";
    QTest::newRow("B0 ESR") << FormatB0(3, true, 0) << " 17.84 Gs";
    QTest::newRow("frequency ESR") << FormatFrequency(3, 0) << "50 000.0 kHz";
    QTest::newRow("frequency ESR one step") << FormatFrequency(3, 1) << "50 000.5 kHz";
    QTest::newRow("frequency 19F") << FormatFrequency(1, -1) << "13 170.5 kHz";
    QTest::newRow("frequency 1H low") << FormatFrequency(0, -20000) << "4 000.0 kHz";
    QTest::newRow("frequency step 0") << FormatFrequencyStep(0) << "   0.5 kHz";
    QTest::newRow("frequency step 1") << FormatFrequencyStep(1) << "   1.0 kHz";
    QTest::newRow("frequency step 2") << FormatFrequencyStep(2) << "  10.0 kHz";
    QTest::newRow("frequency step 3") << FormatFrequencyStep(3) << " 100.0 kHz";
    QTest::newRow("B0 step ESR") << FormatB0Step(3, 16) << "  0.01 Gs";
    QTest::newRow("B0 step 1H 1") << FormatB0Step(0, 1) << "  0.10 Gs";
    QTest::newRow("B0 step 1H 10") << FormatB0Step(0, 10) << "  1.00 Gs";
    QTest::newRow("B0 step 1H 100") << FormatB0Step(0, 100) << " 10.00 Gs";
    QTest::newRow("B0 step 1H 1000") << FormatB0Step(0, 1000) << "100.00 Gs";
    QTest::newRow("field range NMR 10") << FormatFieldSweepRange(FieldSweepRowNMR, 10) << " 300 Gs";
    QTest::newRow("field range NMR 1") << FormatFieldSweepRange(FieldSweepRowNMR, 1) << "   5 Gs";
    QTest::newRow("field range ESR 4") << FormatFieldSweepRange(FieldSweepRowESR, 4) << " 7.5 Gs";
    QTest::newRow("gauss") << FormatGauss(7.5f) << " 7.5 Gs";
    QTest::newRow("mod amp 1") << FormatModAmp(1) << "0.05 Gs";
    QTest::newRow("mod amp 6") << FormatModAmp(6) << "0.35 Gs";
    QTest::newRow("mod amp 12") << FormatModAmp(12) << "2.50 Gs";
    QTest::newRow("kHz") << FormatKHz(50) << "  50 kHz";
    QTest::newRow("freq range 1") << FormatFreqSweepRange(1) << "  50 kHz";
    QTest::newRow("freq range 9") << FormatFreqSweepRange(9) << "1000 kHz";
    const char* sweepTimes[] = {" 0.5 min", "   1 min", "   2 min", "   4 min", "   8 min", "  16 min", "  32 min"};
    for (int p = 1; p <= 7; ++p)
        QTest::addRow("sweep time %d", p) << FormatSweepTime(p) << sweepTimes[p - 1];
}

void TestUTextTbl::captions()
{
    QFETCH(QString, actual);
    QFETCH(QString, expected);
    QCOMPARE(actual, expected);
}

void TestUTextTbl::frequencyAndStepConversions()
{
    QCOMPARE(FrequencyHz(0, 0), 14000000);
    QCOMPARE(FrequencyHz(2, 0), 14000000);
    QCOMPARE(FrequencyHz(1, 1), 13171500);
    QCOMPARE(FrequencyHz(3, 0), 50000000);
    QCOMPARE(FrequencyHz(0, -20000), 4000000);
    QCOMPARE(FrequencyHz(3, 20000), 60000000);
    QCOMPARE(FrequencyStepHz(0), 500.0L);
    QCOMPARE(FrequencyStepHz(1), 1000.0L);
    QCOMPARE(FrequencyStepHz(2), 10000.0L);
    QCOMPARE(FrequencyStepHz(3), 100000.0L);
    QCOMPARE(FieldPerPosition(3), RoundToReal48(0.0006375L));
    QVERIFY(FieldPerPosition(0) != 0.1L);       // held as a 6-byte real
}

void TestUTextTbl::resonanceFieldFollowsZeroOffset()
{
    const long double b0 = ResonanceField(0, 0);
    QCOMPARE(RoundToReal48(b0), b0);
    QVERIFY(std::fabs(b0 - 14000.0L / 4.2577469L) < 1e-8L);
    ZeroOffset[0] = 100;
    QCOMPARE(ResonanceField(0, 100), b0);
    QCOMPARE(FormatB0(0, true, 0), QStringLiteral("3 278.12 Gs"));
    // Other modes keep their own offset.
    QCOMPARE(FormatB0(2, true, 0), QStringLiteral("3 288.12 Gs"));
}

void TestUTextTbl::b0StepPositions()
{
    QVERIFY(std::fabs(B0StepPositions(3, -1) - 15.686L) < 0.001L);
    QCOMPARE(RoundHalfEven(B0StepPositions(3, -1)), 16LL);
    const long long expected[] = {1, 10, 100, 1000};
    for (int b = 0; b <= 3; ++b) {
        const long double steps = B0StepPositions(0, b);
        QCOMPARE(RoundToReal48(steps), steps);
        QCOMPARE(RoundHalfEven(steps), expected[b]);
    }
}

void TestUTextTbl::valueTables()
{
    const float modAmp[] = {0.05f, 0.07f, 0.1f, 0.15f, 0.2f, 0.35f, 0.5f, 0.7f, 1.0f, 1.5f, 2.0f, 2.5f};
    for (int i = 1; i <= 12; ++i)
        QCOMPARE(ModAmpValue(i), modAmp[i - 1]);
    const float nmr[] = {5, 10, 15, 20, 30, 50, 75, 100, 150, 300};
    for (int i = 1; i <= 10; ++i)
        QCOMPARE(FieldSweepRangeValue(FieldSweepRowNMR, i), nmr[i - 1]);
    const float esr[] = {2, 3, 5, 7.5f, 10, 15, 20, 30};
    for (int i = 1; i <= 8; ++i)
        QCOMPARE(FieldSweepRangeValue(FieldSweepRowESR, i), esr[i - 1]);
    const int freq[] = {50, 75, 100, 150, 200, 300, 500, 750, 1000};
    for (int i = 1; i <= 9; ++i)
        QCOMPARE(FreqSweepRangeValue(i), freq[i - 1]);
    const std::pair<int, int> limits[] = {{1, 10}, {1, 10}, {10, 10}, {1, 8}};
    for (int m = 0; m < ModeCount; ++m) {
        QCOMPARE(FieldSweepRangeMin(m), limits[m].first);
        QCOMPARE(FieldSweepRangeMax(m), limits[m].second);
    }
}

void TestUTextTbl::textTables()
{
    const QStringList magnet = {"", "Electromagnet", "Helmholtz coils", "not connected", "Magnet & Coils",
                                "Wrong connection"};
    for (int code = 0; code < magnet.size(); ++code)
        QCOMPARE(MagnetTexts(code), magnet[code]);
    QCOMPARE(SweepTypeNames(0), QStringLiteral("Frequency"));
    QCOMPARE(SweepTypeNames(1), QStringLiteral("Field"));
    QCOMPARE(AxisLetters(0), QStringLiteral("F"));
    QCOMPARE(AxisLetters(1), QStringLiteral("B"));
    QCOMPARE(UnitNames(0), QStringLiteral("kHz"));
    QCOMPARE(UnitNames(1), QStringLiteral("Gs"));
    QCOMPARE(UnitNames(2), QStringLiteral("mT"));
}

void TestUTextTbl::indexesOutsideTheTablesThrow()
{
    const std::pair<const char*, std::function<void()>> calls[] = {
        {"Modulation amplitude index 0 is out of range 1..12", [] { ModAmpValue(0); }},
        {"Modulation amplitude index 13 is out of range 1..12", [] { FormatModAmp(13); }},
        {"Field sweep range index 9 is out of range 1..8", [] { FieldSweepRangeValue(FieldSweepRowESR, 9); }},
        {"Field sweep range row index 2 is out of range 0..1", [] { FormatFieldSweepRange(2, 1); }},
        {"Frequency sweep range index 10 is out of range 1..9", [] { FreqSweepRangeValue(10); }},
        {"Field source index 6 is out of range 0..5", [] { MagnetTexts(6); }},
        {"Unit index -1 is out of range 0..2", [] { UnitNames(-1); }},
        {"Sweep time index 8 is out of range 1..7", [] { FormatSweepTime(8); }},
        {"Mode index 4 is out of range 0..3", [] { ResonanceField(4, 0); }},
        {"Mode index -1 is out of range 0..3", [] { FieldSweepRangeMax(-1); }},
    };
    for (const auto& [text, call] : calls) {
        try {
            call();
            QFAIL(text);
        } catch (const EMerilError& e) {
            QCOMPARE(e.Text(), QString::fromLatin1(text));
        }
    }
}

QTEST_MAIN(TestUTextTbl)
#include "test_UTextTbl.moc"
