// The simulated spectra as the program receives them: where the line sits for
// the field and frequency set, its moments, and what the receiver settings,
// noise and the converter do to it.

#include "Freq.h"
#include "SignalModel.h"
#include "SimTestUtil.h"

#include <QtTest>
#include <cmath>
#include <numeric>

namespace {
struct TPass {
    std::vector<double> X; // Gs or kHz
    std::vector<double> Y; // display units
    QList<TLine> Lines;
};

QByteArray Hex(qint64 value, int digits)
{
    return QByteArray::number(value, 16).toUpper().rightJustified(digits, '0');
}

QByteArray B0(int code)
{
    return "B1" + Hex(code, 4) + '\r';
}

QByteArray Frequency(qint64 hz)
{
    return "J" + Hex(hz, 8) + '\r';
}

const TInstrumentConfig Defaults;
// Centre fields exactly at the reference field F0 / gamma of NMR and of ESR.
const QByteArray Nmr = B0(Defaults.Z1);
const QByteArray Esr = "P1\r" + B0(Defaults.Z2) + Frequency(50000000);

// One pass after the setup commands.
TPass RunPass(TSample sample, const QByteArray& setup, int points = 4001, const QByteArray& version = "1.3",
              double noise = 0)
{
    TInstrumentConfig config;
    config.Sample = sample;
    config.Points = points;
    config.Noise = noise;
    config.Version = version;
    TInstrument instrument(config);
    instrument.Receive(setup);
    const bool freqSweep = setup.endsWith("F1\r");
    if (!freqSweep)
        instrument.Receive("F0\r");
    TPass pass;
    pass.Lines = RunInstrument(instrument);
    const double range = freqSweep ? instrument.Parameters().FreqRangeHz / 1000.0 : instrument.Parameters().FieldRangeGs;
    for (const double raw : DataValues(pass.Lines)) {
        pass.X.push_back(-range / 2 + pass.Y.size() * range / (points - 1));
        pass.Y.push_back(raw / DataDivisor(version));
    }
    return pass;
}

double Peak(const TPass& pass)
{
    const auto [low, high] = std::minmax_element(pass.Y.begin(), pass.Y.end());
    return std::max(-*low, *high);
}

// Centre of a derivative line: where it crosses zero between its extremes.
double Centre(const TPass& pass)
{
    const auto [low, high] = std::minmax_element(pass.Y.begin(), pass.Y.end());
    const size_t a = size_t(std::min(low, high) - pass.Y.begin()), b = size_t(std::max(low, high) - pass.Y.begin());
    for (size_t i = a; i < b; ++i)
        if ((pass.Y[i] > 0) != (pass.Y[i + 1] > 0))
            return pass.X[i] + (pass.X[i + 1] - pass.X[i]) * pass.Y[i] / (pass.Y[i] - pass.Y[i + 1]);
    return NAN;
}

// Second moment of the absorption line, integrated from the derivative.
double SecondMoment(const TPass& pass)
{
    double g = 0, s0 = 0, s1 = 0, s2 = 0;
    for (size_t i = 1; i < pass.Y.size(); ++i) {
        g += (pass.Y[i] + pass.Y[i - 1]) / 2 * (pass.X[i] - pass.X[i - 1]);
        s0 += g;
        s1 += g * pass.X[i];
        s2 += g * pass.X[i] * pass.X[i];
    }
    return s2 / s0 - (s1 / s0) * (s1 / s0);
}
} // namespace

class TestSimSignal : public QObject {
    Q_OBJECT

private slots:
    void lineSitsWhereTheSpinResonates_data()
    {
        QTest::addColumn<TSample>("sample");
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<double>("expected"); // from the centre of the sweep: Gs, or kHz in a frequency sweep
        const double hRef = double(FreqF0[0] / FreqGamma[0]);
        // Position 0 with calibration z1 = 2050: B0 = k * (2047 - 2050) + F0 / gamma.
        const double b0 = double(FreqK[0]) * (2047 - Defaults.Z1) + hRef;
        QTest::newRow("1H at position 0") << TSample::LiquidH << QByteArray("H001\r") << hRef - b0;
        QTest::newRow("1H, 10 kHz up") << TSample::LiquidH << "H001\r" + Frequency(14010000)
                                        << 14010 / double(FreqGamma[0]) - b0;
        QTest::newRow("1H, frequency sweep") << TSample::LiquidH << "K000186A0\r" + Nmr + Frequency(13995000) + "F1\r"
                                              << 5.0;
        QTest::newRow("19F at its frequency") << TSample::SolidF << "H005\r" + Frequency(13171000) + Nmr
                                              << 13171 / double(FreqGamma[1]) - hRef;
        QTest::newRow("ESR standard, g 2.0036") << TSample::EsrStandard << "H100\rR105\r" + Esr
                                                << 50000 / (2.0036 * ElectronGammaPerG) - double(FreqF0[3] / FreqGamma[3]);
    }
    void lineSitsWhereTheSpinResonates()
    {
        QFETCH(TSample, sample);
        QFETCH(QByteArray, setup);
        QFETCH(double, expected);
        const double centre = Centre(RunPass(sample, setup));
        QVERIFY2(std::abs(centre - expected) < 0.005, qPrintable(QStringLiteral("%1 vs %2").arg(centre).arg(expected)));
    }

    void lineMovesByTheFieldOffsetOfB0_data()
    {
        QTest::addColumn<bool>("esr");
        QTest::addColumn<int>("steps");
        QTest::newRow("NMR +1.5 Gs") << false << 15;
        QTest::newRow("NMR -3 Gs") << false << -30;
        QTest::newRow("ESR +1 Gs") << true << 1569;
    }
    void lineMovesByTheFieldOffsetOfB0()
    {
        QFETCH(bool, esr);
        QFETCH(int, steps);
        const TSample sample = esr ? TSample::EsrStandard : TSample::LiquidH;
        const QByteArray setup = esr ? "H104\rR105\r" + Esr : "H001\r" + Nmr;
        const double before = Centre(RunPass(sample, setup));
        const double after = Centre(RunPass(sample, setup + B0((esr ? Defaults.Z2 : Defaults.Z1) + steps)));
        const double expected = -double(FreqK[esr ? 3 : 0]) * steps; // more field: resonance earlier in the sweep
        QVERIFY2(std::abs(after - before - expected) < 0.005, qPrintable(QString::number(after - before)));
    }

    void lineOutsideTheSweepIsNotSeen()
    {
        QVERIFY(Peak(RunPass(TSample::LiquidH, "H001\r" + Nmr)) > 100);
        QVERIFY(Peak(RunPass(TSample::LiquidH, "H001\r" + B0(Defaults.Z1 + 200))) < 0.5); // 20 Gs away
    }

    void secondMomentMatchesTheSampleWithinTwoPercent_data()
    {
        QTest::addColumn<TSample>("sample");
        QTest::addColumn<QByteArray>("frequency");
        QTest::newRow("solid 1H, Gaussian") << TSample::SolidH << Frequency(14000000);
        QTest::newRow("solid 19F, Gaussian") << TSample::SolidF << Frequency(13171000);
        QTest::newRow("Pake doublet") << TSample::CrystalH << Frequency(14000000);
    }
    void secondMomentMatchesTheSampleWithinTwoPercent()
    {
        QFETCH(TSample, sample);
        QFETCH(QByteArray, frequency);
        const double m2 = SecondMoment(RunPass(sample, "H005\rR005\r" + frequency + Nmr)); // 50 Gs, 0.05 Gs modulation
        const double known = SampleInfo(sample).SecondMoment;
        QVERIFY2(std::abs(m2 - known) < 0.02 * known, qPrintable(QStringLiteral("%1 vs %2").arg(m2).arg(known)));
    }

    void receiverSettingsShapeTheSignal()
    {
        const QByteArray solid = "H005\rR005\r" + Nmr;
        const TPass reference = RunPass(TSample::SolidH, solid, 401);
        // Gain: 20 dB per 85 steps; only the converter's rounding to counts
        // stands between the ratio and an exact one.
        QVERIFY(std::abs(Peak(RunPass(TSample::SolidH, solid + "D22A\r", 401)) / Peak(reference) - 10) < 1e-4);
        // Modulation small against the line: proportional, up to its second-order term (2e-4 here).
        QVERIFY(std::abs(Peak(RunPass(TSample::SolidH, solid + "R00A\r", 401)) / Peak(reference) - 2) < 1e-3);
        // Large against the line: the derivative spreads to about +-a.
        const TPass over = RunPass(TSample::LiquidH, "H001\rR064\r" + Nmr);
        const auto [low, high] = std::minmax_element(over.Y.begin(), over.Y.end());
        QVERIFY(std::abs(std::abs(over.X[size_t(high - over.Y.begin())] - over.X[size_t(low - over.Y.begin())]) - 2) < 0.2);
        // Phase: absorption derivative odd about the centre, dispersion (90 degrees) even, 180 degrees inverted.
        const TPass dispersion = RunPass(TSample::SolidH, solid + "E3C\r", 401);
        const TPass inverted = RunPass(TSample::SolidH, solid + "E78\r", 401);
        const TPass reversed = RunPass(TSample::SolidH, solid + "S0\r", 401);
        const size_t n = reference.Y.size();
        for (size_t i = 0; i < n; ++i) {
            QVERIFY(std::abs(reference.Y[i] + reference.Y[n - 1 - i]) < 1e-3);
            QVERIFY(std::abs(dispersion.Y[i] - dispersion.Y[n - 1 - i]) < 1e-3);
            QVERIFY(std::abs(inverted.Y[i] + reference.Y[i]) < 1e-3);
            QCOMPARE(reversed.Y[i], -reference.Y[i]);
        }
        QVERIFY(Peak(dispersion) > 0.5 * Peak(reference));
    }

    void everySampleFitsTheDisplayAtModerateGain_data()
    {
        QTest::addColumn<TSample>("sample");
        QTest::addColumn<QByteArray>("version");
        for (const QByteArray version : {"1.3", "2.0"})
            for (const auto& [sample, name] : {std::pair{TSample::LiquidH, "liquid-h"}, {TSample::CrystalH, "crystal-h"},
                                               {TSample::SolidF, "solid-f"}, {TSample::EsrStandard, "esr"}})
                QTest::addRow("%s, %s", name, version.constData()) << sample << version;
    }
    void everySampleFitsTheDisplayAtModerateGain()
    {
        QFETCH(TSample, sample);
        QFETCH(QByteArray, version);
        const QByteArray modulation = Hex(qRound(SampleInfo(sample).ReferenceModAmp * 100), 2) + '\r';
        const QByteArray setup = sample == TSample::EsrStandard ? "H107\rR1" + modulation + Esr
            : (sample == TSample::LiquidH ? "H001\rR0" : "H005\rR0") + modulation + Nmr
                + Frequency(sample == TSample::SolidF ? 13171000 : 14000000);
        // Divided by the program's divisor for the version: the reference peak, nothing out of range.
        // The peak is exact up to where the 6001 points fall on the line (about 5e-6 of it).
        const TPass pass = RunPass(sample, setup, 6001, version);
        QVERIFY2(std::abs(Peak(pass) - ReferencePeak) < 1e-4 * ReferencePeak, qPrintable(QString::number(Peak(pass))));
        QVERIFY(std::none_of(pass.Lines.begin(), pass.Lines.end(), [](const TLine& l) { return l.Text.startsWith("V!"); }));
    }

    void valuesBeyondTheConverterAreClippedAndFlagged_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<qint64>("limit");
        QTest::newRow("1.3") << QByteArray("1.3") << qint64(8388607);
        QTest::newRow("2.0") << QByteArray("2.0") << qint64(std::floor(8388607.0 / 13500 * 76000));
    }
    void valuesBeyondTheConverterAreClippedAndFlagged()
    {
        QFETCH(QByteArray, version);
        QFETCH(qint64, limit);
        // Gain 255: 31 times the reference peak.
        const TPass pass = RunPass(TSample::LiquidH, "H001\rD200\rR005\r" + Nmr, 2001, version);
        int flagged = 0;
        for (const TLine& line : pass.Lines) {
            const qint64 raw = qint32(line.Text.mid(2).toUInt(nullptr, 16));
            if (line.Text.startsWith("V!"))
                QCOMPARE(std::abs(raw), limit);
            else if (line.Text.startsWith('V'))
                QVERIFY(std::abs(raw) < limit);
            flagged += line.Text.startsWith("V!");
        }
        QVERIFY(flagged > 10);
    }

    void noiseIsGaussianAndScaledByGain()
    {
        const QByteArray away = "H005\r" + B0(Defaults.Z1 + 1500); // 150 Gs from the line
        for (const auto& [gain, sigma] : {std::pair{QByteArray("D27F\r"), 5.0}, {QByteArray("D22A\r"), 50.0}}) {
            const TPass pass = RunPass(TSample::SolidH, away + gain, 8000, "1.3", 5);
            const double n = double(pass.Y.size());
            const double mean = std::accumulate(pass.Y.begin(), pass.Y.end(), 0.0) / n;
            double square = 0, withinOne = 0;
            for (const double y : pass.Y) {
                square += (y - mean) * (y - mean);
                withinOne += std::abs(y - mean) < sigma;
            }
            QVERIFY2(std::abs(mean) < 0.1 * sigma, qPrintable(QString::number(mean)));
            QVERIFY2(std::abs(std::sqrt(square / n) - sigma) < 0.05 * sigma, qPrintable(QString::number(std::sqrt(square / n))));
            QVERIFY(std::abs(withinOne / n - 0.6827) < 0.03);
        }
    }
};

QTEST_MAIN(TestSimSignal)
#include "test_SimSignal.moc"
