// The simulated spectra as the program receives them: where the line sits for
// the field and frequency set, its moments and widths, and what modulation,
// gain, phase, direction, noise and the converter do to it.

#include "Freq.h"
#include "Instrument.h"
#include "SignalModel.h"
#include "SimTestUtil.h"

#include <QtTest>
#include <algorithm>
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

QByteArray B0Command(int code)
{
    return "B1" + Hex(code, 4) + '\r';
}

QByteArray FrequencyCommand(qint64 hz)
{
    return "J" + Hex(hz, 8) + '\r';
}

// Runs one noise-free pass after the setup commands.
TPass RunPass(TSample sample, const QByteArray& setup, int points = 4001, bool freqSweep = false,
              const QByteArray& version = "1.3", double noise = 0)
{
    TInstrumentConfig config;
    config.Sample = sample;
    config.Points = points;
    config.Noise = noise;
    config.Version = version;
    TInstrument instrument(config);
    instrument.Receive(setup);
    instrument.Receive(freqSweep ? "F1\r" : "F0\r");
    TPass pass;
    pass.Lines = RunInstrument(instrument);
    const double range = freqSweep ? instrument.Parameters().FreqRangeHz / 1000.0 : instrument.Parameters().FieldRangeGs;
    for (const double raw : DataValues(pass.Lines)) {
        pass.X.push_back(-range / 2 + pass.Y.size() * range / (points - 1));
        pass.Y.push_back(raw / DataDivisor(version));
    }
    return pass;
}

size_t ArgMax(const std::vector<double>& y)
{
    return size_t(std::max_element(y.begin(), y.end()) - y.begin());
}

size_t ArgMin(const std::vector<double>& y)
{
    return size_t(std::min_element(y.begin(), y.end()) - y.begin());
}

double Peak(const std::vector<double>& y)
{
    return std::max(std::abs(*std::max_element(y.begin(), y.end())), std::abs(*std::min_element(y.begin(), y.end())));
}

// Centre of a derivative line: where it crosses zero between its extremes.
double ZeroCrossing(const TPass& pass)
{
    const size_t a = std::min(ArgMax(pass.Y), ArgMin(pass.Y)), b = std::max(ArgMax(pass.Y), ArgMin(pass.Y));
    for (size_t i = a; i < b; ++i)
        if ((pass.Y[i] > 0) != (pass.Y[i + 1] > 0))
            return pass.X[i] + (pass.X[i + 1] - pass.X[i]) * pass.Y[i] / (pass.Y[i] - pass.Y[i + 1]);
    return NAN;
}

double PeakToPeak(const TPass& pass)
{
    return std::abs(pass.X[ArgMax(pass.Y)] - pass.X[ArgMin(pass.Y)]);
}

// Second moment of the absorption line, integrated from the derivative.
double SecondMoment(const TPass& pass)
{
    std::vector<double> g(pass.Y.size());
    for (size_t i = 1; i < g.size(); ++i)
        g[i] = g[i - 1] + (pass.Y[i] + pass.Y[i - 1]) / 2 * (pass.X[i] - pass.X[i - 1]);
    double s0 = 0, s1 = 0, s2 = 0;
    for (size_t i = 0; i < g.size(); ++i) {
        s0 += g[i];
        s1 += g[i] * pass.X[i];
        s2 += g[i] * pass.X[i] * pass.X[i];
    }
    const double mean = s1 / s0;
    return s2 / s0 - mean * mean;
}

const TInstrumentConfig Defaults;
// The B0 position whose centre field is exactly the reference field of NMR (or ESR).
const QByteArray CentredNmr = B0Command(Defaults.Z1);
const QByteArray CentredEsr = "P1\r" + B0Command(Defaults.Z2) + FrequencyCommand(50000000);
} // namespace

class TestSimSignal : public QObject {
    Q_OBJECT

private slots:
    void lineSitsWhereTheSpinResonates_data()
    {
        QTest::addColumn<TSample>("sample");
        QTest::addColumn<QByteArray>("setup");
        QTest::addColumn<double>("expected"); // Gs from the centre of the sweep
        QTest::addColumn<double>("tolerance");
        const double hRef = double(FreqF0[0] / FreqGamma[0]);
        const double k = double(FreqK[0]);
        // Position 0 (code 2047) with calibration z1 = 2050: B0 = k * (2047 - 2050) + F0 / gamma.
        const double b0 = k * (2047 - Defaults.Z1) + hRef;
        QTest::newRow("1H at position 0") << TSample::LiquidH << QByteArray("H001\r") << hRef - b0 << 0.005;
        QTest::newRow("1H, B0 up 2 Gs") << TSample::LiquidH << "H001\r" + B0Command(2047 + 20) << hRef - (b0 + 20 * k)
                                         << 0.005;
        QTest::newRow("1H, frequency up 10 kHz")
            << TSample::LiquidH << "H001\r" + FrequencyCommand(14010000) << 14010 / double(FreqGamma[0]) - b0 << 0.005;
        const double fluorineField = 13171 / double(FreqGamma[1]);
        QTest::newRow("19F at its frequency") << TSample::SolidF << "H005\r" + FrequencyCommand(13171000) + CentredNmr
                                              << fluorineField - hRef << 0.01;
        const double esrField = 50000 / (Defaults.EsrG * ElectronGammaPerG);
        QTest::newRow("ESR standard, g 2.0036") << TSample::EsrStandard << "H100\rR105\r" + CentredEsr
                                                << esrField - double(FreqF0[3] / FreqGamma[3]) << 0.002;
    }
    void lineSitsWhereTheSpinResonates()
    {
        QFETCH(TSample, sample);
        QFETCH(QByteArray, setup);
        QFETCH(double, expected);
        QFETCH(double, tolerance);
        const TPass pass = RunPass(sample, setup);
        const double centre = ZeroCrossing(pass);
        QVERIFY2(std::abs(centre - expected) < tolerance, qPrintable(QStringLiteral("%1 vs %2").arg(centre).arg(expected)));
    }

    void lineMovesByTheFieldOffsetOfB0_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<bool>("esr");
        QTest::newRow("NMR +1.5 Gs") << 15 << false;
        QTest::newRow("NMR -3 Gs") << -30 << false;
        QTest::newRow("ESR +1 Gs") << 1569 << true;
    }
    void lineMovesByTheFieldOffsetOfB0()
    {
        QFETCH(int, steps);
        QFETCH(bool, esr);
        const TSample sample = esr ? TSample::EsrStandard : TSample::LiquidH;
        const QByteArray setup = esr ? "H104\rR105\r" + CentredEsr : QByteArray("H001\r") + CentredNmr;
        const int zero = esr ? Defaults.Z2 : Defaults.Z1;
        const double before = ZeroCrossing(RunPass(sample, setup));
        const double after = ZeroCrossing(RunPass(sample, setup + B0Command(zero + steps)));
        // Raising B0 brings resonance earlier in the sweep.
        const double expected = -double(FreqK[esr ? 3 : 0]) * steps;
        QVERIFY2(std::abs((after - before) - expected) < 0.005, qPrintable(QString::number(after - before)));
    }

    void frequencySweepPutsTheLineAtGammaB0()
    {
        // K 100 kHz; x in kHz from the set frequency.
        const TPass pass = RunPass(TSample::LiquidH, "K000186A0\r" + CentredNmr + FrequencyCommand(13995000), 4001, true);
        const double expected = double(FreqF0[0]) - 13995; // gamma * B0 is exactly F0 here
        QVERIFY2(std::abs(ZeroCrossing(pass) - expected) < 0.02, qPrintable(QString::number(ZeroCrossing(pass))));
    }

    void lineOutsideTheSweepIsNotSeen()
    {
        const TPass inside = RunPass(TSample::LiquidH, "H001\r" + CentredNmr);
        const TPass outside = RunPass(TSample::LiquidH, "H001\r" + B0Command(Defaults.Z1 + 200)); // 20 Gs away
        QVERIFY(Peak(inside.Y) > 100);
        QVERIFY2(Peak(outside.Y) < 0.5, qPrintable(QString::number(Peak(outside.Y))));
    }

    void secondMomentOfSolidSamplesMatchesTheirKnownValue_data()
    {
        QTest::addColumn<TSample>("sample");
        QTest::addColumn<QByteArray>("frequency");
        QTest::newRow("solid 1H, Gaussian") << TSample::SolidH << FrequencyCommand(14000000);
        QTest::newRow("solid 19F, Gaussian") << TSample::SolidF << FrequencyCommand(13171000);
        QTest::newRow("Pake doublet") << TSample::CrystalH << FrequencyCommand(14000000);
    }
    void secondMomentOfSolidSamplesMatchesTheirKnownValue()
    {
        QFETCH(TSample, sample);
        QFETCH(QByteArray, frequency);
        // 50 Gs sweep, 0.05 Gs modulation (broadening a^2/4 is negligible).
        const TPass pass = RunPass(sample, "H005\rR005\r" + frequency + CentredNmr);
        const double m2 = SecondMoment(pass);
        const double known = SampleInfo(sample).SecondMoment;
        QVERIFY2(std::abs(m2 - known) < 0.02 * known, qPrintable(QStringLiteral("%1 vs %2").arg(m2).arg(known)));
    }

    void esrStandardIsOneAndAHalfGaussPeakToPeak()
    {
        const TPass pass = RunPass(TSample::EsrStandard, "H104\rR105\r" + CentredEsr);
        QVERIFY2(std::abs(PeakToPeak(pass) - 1.5) < 0.03, qPrintable(QString::number(PeakToPeak(pass))));
    }

    void modulationScalesThenBroadens()
    {
        // Small against the line: the signal grows in proportion, the shape stays.
        const TPass small = RunPass(TSample::SolidH, "H005\rR005\r" + CentredNmr);
        const TPass twice = RunPass(TSample::SolidH, "H005\rR00A\r" + CentredNmr);
        QVERIFY(std::abs(Peak(twice.Y) / Peak(small.Y) - 2) < 0.01);
        QVERIFY(std::abs(PeakToPeak(twice) - PeakToPeak(small)) < 0.05);
        // Large against the line: the derivative spreads to about twice the amplitude.
        const TPass narrow = RunPass(TSample::LiquidH, "H001\rR005\r" + CentredNmr);
        const TPass over = RunPass(TSample::LiquidH, "H001\rR064\r" + CentredNmr);
        QVERIFY2(PeakToPeak(narrow) < 0.15, qPrintable(QString::number(PeakToPeak(narrow))));
        QVERIFY2(PeakToPeak(over) > 1.5 && PeakToPeak(over) < 2.1, qPrintable(QString::number(PeakToPeak(over))));
        // No modulation, no signal.
        QCOMPARE(Peak(RunPass(TSample::LiquidH, "H001\rR000\r" + CentredNmr).Y), 0.0);
    }

    void gainScalesTwentyDecibelsPer85Steps()
    {
        const TPass g128 = RunPass(TSample::SolidH, "H005\rR005\rD27F\r" + CentredNmr);
        const TPass g213 = RunPass(TSample::SolidH, "H005\rR005\rD22A\r" + CentredNmr);
        QVERIFY2(std::abs(Peak(g213.Y) / Peak(g128.Y) - 10) < 0.01, qPrintable(QString::number(Peak(g213.Y) / Peak(g128.Y))));
    }

    void phaseMixesAbsorptionAndDispersion()
    {
        // Line centred on the middle point: absorption derivative is odd about it, dispersion derivative even.
        const auto parts = [](const TPass& pass) {
            double odd = 0, even = 0;
            const size_t n = pass.Y.size();
            for (size_t i = 0; i < n; ++i) {
                odd += std::abs(pass.Y[i] - pass.Y[n - 1 - i]);
                even += std::abs(pass.Y[i] + pass.Y[n - 1 - i]);
            }
            return std::pair{odd, even};
        };
        const QByteArray setup = "H005\r" + CentredNmr;
        const TPass absorption = RunPass(TSample::SolidH, setup + "E00\r");
        const TPass dispersion = RunPass(TSample::SolidH, setup + "E3C\r"); // 90 degrees
        const TPass inverted = RunPass(TSample::SolidH, setup + "E78\r");   // 180 degrees
        const auto [aOdd, aEven] = parts(absorption);
        const auto [dOdd, dEven] = parts(dispersion);
        QVERIFY2(aEven < 1e-3 * aOdd, qPrintable(QStringLiteral("%1 %2").arg(aEven).arg(aOdd)));
        QVERIFY2(dOdd < 1e-3 * dEven, qPrintable(QStringLiteral("%1 %2").arg(dOdd).arg(dEven)));
        for (size_t i = 0; i < absorption.Y.size(); ++i)
            QVERIFY(std::abs(absorption.Y[i] + inverted.Y[i]) < 1e-3);
    }

    void reverseCurrentInvertsTheSignal()
    {
        const TPass forward = RunPass(TSample::SolidH, "H005\rS1\r" + CentredNmr, 401);
        const TPass reverse = RunPass(TSample::SolidH, "H005\rS0\r" + CentredNmr, 401);
        for (size_t i = 0; i < forward.Y.size(); ++i)
            QCOMPARE(reverse.Y[i], -forward.Y[i]);
    }

    void everySampleFitsTheDisplayAtModerateGain_data()
    {
        QTest::addColumn<TSample>("sample");
        QTest::addColumn<QByteArray>("version");
        for (const QByteArray version : {"1.3", "2.0"}) {
            QTest::addRow("liquid 1H, %s", version.constData()) << TSample::LiquidH << version;
            QTest::addRow("solid 1H, %s", version.constData()) << TSample::SolidH << version;
            QTest::addRow("Pake, %s", version.constData()) << TSample::CrystalH << version;
            QTest::addRow("solid 19F, %s", version.constData()) << TSample::SolidF << version;
            QTest::addRow("ESR, %s", version.constData()) << TSample::EsrStandard << version;
        }
    }
    void everySampleFitsTheDisplayAtModerateGain()
    {
        QFETCH(TSample, sample);
        QFETCH(QByteArray, version);
        const TSampleInfo& info = SampleInfo(sample);
        const QByteArray modulation = Hex(qRound(info.ReferenceModAmp * 100), 2) + '\r';
        QByteArray setup;
        if (sample == TSample::EsrStandard)
            setup = "H107\rR1" + modulation + CentredEsr;
        else
            setup = (sample == TSample::LiquidH ? "H001\rR0" : "H005\rR0") + modulation + CentredNmr
                + FrequencyCommand(sample == TSample::SolidF ? 13171000 : 14000000);
        // Divided by the program's divisor for this version, the peak is ReferencePeak.
        const TPass pass = RunPass(sample, setup, 6001, false, version);
        QVERIFY2(std::abs(Peak(pass.Y) - ReferencePeak) < 0.03 * ReferencePeak, qPrintable(QString::number(Peak(pass.Y))));
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
        // Gain 255: 31 times the reference, far beyond full scale at the line's extremes.
        const TPass pass = RunPass(TSample::LiquidH, "H001\rD200\rR005\r" + CentredNmr, 2001, false, version);
        int flagged = 0;
        for (const TLine& line : pass.Lines) {
            if (!line.Text.startsWith('V'))
                continue;
            const qint64 raw = qint32(line.Text.mid(2).toUInt(nullptr, 16));
            if (line.Text[1] == '!') {
                ++flagged;
                QCOMPARE(std::abs(raw), limit);
            } else {
                QVERIFY(std::abs(raw) < limit);
            }
        }
        QVERIFY(flagged > 10);
    }

    void noiseIsGaussianScaledByGainAndSettable()
    {
        const QByteArray away = "H005\r" + B0Command(Defaults.Z1 + 1500); // 150 Gs from the line
        for (const auto& [gain, sigma] : {std::pair{QByteArray("D27F\r"), 5.0}, std::pair{QByteArray("D22A\r"), 50.0}}) {
            const TPass pass = RunPass(TSample::SolidH, away + gain, 8000, false, "1.3", 5);
            const double n = double(pass.Y.size());
            const double mean = std::accumulate(pass.Y.begin(), pass.Y.end(), 0.0) / n;
            double square = 0;
            int withinOne = 0;
            for (const double y : pass.Y) {
                square += (y - mean) * (y - mean);
                withinOne += std::abs(y - mean) < sigma;
            }
            const double rms = std::sqrt(square / n);
            QVERIFY2(std::abs(mean) < 0.1 * sigma, qPrintable(QString::number(mean)));
            QVERIFY2(std::abs(rms - sigma) < 0.05 * sigma, qPrintable(QString::number(rms)));
            QVERIFY(std::abs(withinOne / n - 0.6827) < 0.03);
        }
    }
};

QTEST_MAIN(TestSimSignal)
#include "test_SimSignal.moc"
