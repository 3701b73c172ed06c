// Every measurement at once on the smallest and the largest spectra the
// processing takes, and the refusals beyond them.
#include "Errors.h"
#include "SpectrumReport.h"

#include <QtTest>

namespace {
TSpectrum Stored(const std::vector<int32_t>& sums, const QString& resonance = QStringLiteral("NMR 1H"))
{
    TDataHeader h;
    h.Frequency = QStringLiteral("9 500 000.0 kHz");
    h.B0 = QStringLiteral("3 390.00 Gs");
    h.ModAmp = QStringLiteral("0.10 Gs");
    h.Acc = QStringLiteral("1");
    h.Resonance = resonance;
    h.SweepTp = 1;
    h.SweepR = 10;
    return ParseSpectrum(SpectrumFileBytes(h, sums));
}

void VerifyIndexes(const TSpectrumReport& r, int count)
{
    for (const TViewReport* v : {&r.Derivative, &r.Absorption})
        for (const int i : {v->Cursors.Left, v->Cursors.Centre, v->Cursors.Right})
            QVERIFY(i >= 0 && i < count);
    QVERIFY(r.Centre >= 0 && r.Centre < count);
    QVERIFY(r.IntegralLeft >= 0 && r.IntegralRight < count);
    QVERIFY(r.HDB.has_value() != !r.HDBError.isEmpty());
}
} // namespace

class TestSpectrumReport : public QObject {
    Q_OBJECT
private slots:
    void twoAndThreePoints();
    void largestSpectrumAndBeyond();
    void chosenCursorsChecked();
};

void TestSpectrumReport::twoAndThreePoints()
{
    const TSpectrumReport two = MeasureSpectrum(Stored({100, -100}));
    VerifyIndexes(two, 2);
    QCOMPARE(two.IntegralLeft, 0);
    QCOMPARE(two.IntegralRight, 1);
    QCOMPARE(two.SDB, 10.0);
    QCOMPARE(two.HDBError, QStringLiteral("Lack of ending value"));

    const TSpectrumReport three = MeasureSpectrum(Stored({100, 0, -100}, "ESR"));
    VerifyIndexes(three, 3);
    QCOMPARE(three.Centre, 1);
    QVERIFY(three.G.has_value());
    QVERIFY(qAbs(*three.G - 0.07144771 * 9.5 / 0.339) < 1e-9);  // the centre point lies at x = 0
    QVERIFY(std::isfinite(three.Derivative.Moments.M2) && std::isfinite(three.Absorption.Moments.M4));

    // A flat spectrum: no line, nothing divides by zero.
    const TSpectrumReport flat = MeasureSpectrum(Stored({7, 7, 7}));
    VerifyIndexes(flat, 3);
    QCOMPARE(flat.Derivative.Moments.M2, 0.0);
    // Only the rounding of whole counts is noise there.
    QCOMPARE(flat.Noise, 1 / std::sqrt(12.0));
}

void TestSpectrumReport::largestSpectrumAndBeyond()
{
    std::vector<int32_t> sums(MaxProcessedPoints, 0);
    sums[30000] = 300;
    sums[35000] = -300;
    const TSpectrumReport r = MeasureSpectrum(Stored(sums));
    VerifyIndexes(r, MaxProcessedPoints);
    QCOMPARE(r.IntegralRight, MaxProcessedPoints - MaxProcessedPoints / 10);
    QCOMPARE(r.Derivative.Cursors.Left, 30000);
    QCOMPARE(r.Derivative.Cursors.Right, 35000);

    sums.push_back(0);
    try {
        MeasureSpectrum(Stored(sums));
        QFAIL("a spectrum of 65536 points was measured");
    } catch (const EMerilError& e) {
        QCOMPARE(e.Text(), QStringLiteral("The spectrum holds 65536 points; processing handles at most 65535."));
    }
    QCOMPARE(ProcessingRefusal(1), QStringLiteral("The spectrum holds 1 point(s); processing needs at least 2."));
    QVERIFY(ProcessingRefusal(65535).isEmpty());
}

void TestSpectrumReport::chosenCursorsChecked()
{
    const TSpectrum s = Stored({0, 50, 100, 50, 0, -50, -100, -50, 0});
    TReportOptions options;
    options.Cursors = TCursorIndexes{1, 7, 4};
    const TSpectrumReport r = MeasureSpectrum(s, options);
    QCOMPARE(r.Derivative.Cursors.Left, 1);
    QCOMPARE(r.Absorption.Cursors.Right, 7);
    options.Cursors = TCursorIndexes{1, 9, 4};
    QVERIFY_THROWS_EXCEPTION(EMerilError, MeasureSpectrum(s, options));
}

QTEST_GUILESS_MAIN(TestSpectrumReport)
#include "test_SpectrumReport.moc"
