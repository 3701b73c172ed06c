// The propagated uncertainties of M2 and M4 against the spread of the
// moments over many noise draws of a synthetic line, in both views, with
// white noise and noise through a lock-in's low-pass, with the baseline laid
// anew for every draw as at load; the noise measured on the wings finds the
// noise put in.
#include "Baseline.h"
#include "FitTestLines.h"
#include "MomentUncertainty.h"
#include "SpectrumNoise.h"
#include "SyntheticLines.h"
#include "Views.h"

#include <QtTest>
#include <random>

namespace {
struct TSpread {
    double Mean = 0, Deviation = 0;
    void Of(const std::vector<double>& values)
    {
        double sum = 0, squares = 0;
        for (const double v : values)
            sum += v;
        Mean = sum / double(values.size());
        for (const double v : values)
            squares += (v - Mean) * (v - Mean);
        Deviation = std::sqrt(squares / double(values.size() - 1));
    }
};

struct TViewOf {
    std::vector<double> Y;
    int Factor = 1;
};

TViewOf ViewOf(const TSyntheticLine& line, TViewKind kind)
{
    const std::vector<double> base = BaselineValues(ComputeBaseline(line.Y), int(line.Y.size()));
    if (kind == TViewKind::Derivative)
        return {DerivativeView(line.View(), base), 1};
    const TIntegrator absorption = AbsorptionView(line.View(), base);
    return {absorption.DestY, absorption.Factor};
}
} // namespace

class TestMomentUncertainty : public QObject {
    Q_OBJECT
private slots:
    void agreesWithTheSpreadOverNoiseDraws_data();
    void agreesWithTheSpreadOverNoiseDraws();
    void noNoiseNoUncertainty();
};

void TestMomentUncertainty::agreesWithTheSpreadOverNoiseDraws_data()
{
    QTest::addColumn<TViewKind>("kind");
    QTest::addColumn<double>("timeConstant");
    QTest::newRow("derivative") << TViewKind::Derivative << 0.0;
    QTest::newRow("absorption") << TViewKind::Absorption << 0.0;
    QTest::newRow("derivative, low-pass 8 points") << TViewKind::Derivative << 8.0;
    QTest::newRow("absorption, low-pass 8 points") << TViewKind::Absorption << 8.0;
}

void TestMomentUncertainty::agreesWithTheSpreadOverNoiseDraws()
{
    QFETCH(TViewKind, kind);
    QFETCH(double, timeConstant);
    const int count = 1024, draws = 400;
    const double sigma = 3, noise = 4;
    const double rho = timeConstant > 0 ? std::exp(-1 / timeConstant) : 0;
    const TSyntheticLine clean = SampleLine(count, 60, GaussianDerivative(sigma, 300));
    const int left = 307, centre = 512, right = 716;  // about -4 sigma, 0, +4 sigma

    const TViewOf cleanView = ViewOf(clean, kind);
    const TMomentUncertainty predicted = MomentUncertainty(clean.View(), cleanView.Y, kind, cleanView.Factor, left,
                                                           centre, right, TSpectrumNoise{noise, rho});
    std::mt19937 random(20261208);
    std::vector<double> m2, m4, noiseEstimates, correlations;
    for (int d = 0; d < draws; ++d) {
        TSyntheticLine noisy = clean;
        const std::vector<double> n = Noise(random, size_t(count), noise, timeConstant);
        for (size_t i = 0; i < n.size(); ++i)
            noisy.Y[i] += n[i];
        const TViewOf view = ViewOf(noisy, kind);
        const TMoments m = MeasureMoments(TLineView(noisy.X, view.Y), kind, left, centre, right, 0.0L);
        m2.push_back(m.M2);
        m4.push_back(m.M4);
        const TSpectrumNoise measured = MeasureNoise(noisy.Y, BaselineValues(ComputeBaseline(noisy.Y), count));
        noiseEstimates.push_back(measured.Rms);
        correlations.push_back(measured.Correlation);
    }
    TSpread s2, s4, sn, sr;
    s2.Of(m2);
    s4.Of(m4);
    sn.Of(noiseEstimates);
    sr.Of(correlations);
    const QString report = QStringLiteral("M2 spread %1 predicted %2; M4 spread %3 predicted %4; noise %5, rho %6")
                               .arg(s2.Deviation).arg(predicted.M2).arg(s4.Deviation).arg(predicted.M4)
                               .arg(sn.Mean).arg(sr.Mean);
    qInfo("%s", qPrintable(report));
    QVERIFY2(qAbs(predicted.M2 / s2.Deviation - 1) < 0.2, qPrintable(report));
    QVERIFY2(qAbs(predicted.M4 / s4.Deviation - 1) < 0.2, qPrintable(report));
    // The noise estimate from the ends finds the noise put in.
    QVERIFY2(qAbs(sn.Mean / noise - 1) < 0.05, qPrintable(report));
    QVERIFY2(qAbs(sr.Mean - rho) < 0.04, qPrintable(report));
}

void TestMomentUncertainty::noNoiseNoUncertainty()
{
    const TSyntheticLine clean = SampleLine(64, 20, GaussianDerivative(2, 300));
    const TViewOf view = ViewOf(clean, TViewKind::Derivative);
    const TMomentUncertainty u = MomentUncertainty(clean.View(), view.Y, TViewKind::Derivative, 1, 10, 32, 54, TSpectrumNoise{});
    QCOMPARE(u.M2, 0.0);
    QCOMPARE(u.M4, 0.0);
}

QTEST_GUILESS_MAIN(TestMomentUncertainty)
#include "test_MomentUncertainty.moc"
