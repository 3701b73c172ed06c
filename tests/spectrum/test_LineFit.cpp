// The line-shape fit on synthetic spectra with known truth: honest
// uncertainties over many noisy spectra, multiplets, model choice, the Pake
// pattern, and bad input that must end in a reason rather than a number.
#include "FitTestLines.h"
#include "LineFit.h"

#include <QtTest>
#include <cmath>

namespace {

struct TCoverage {
    int Within1 = 0, Within2 = 0, Count = 0;
    void Add(double value, double u, double truth)
    {
        const double z = std::abs(value - truth) / u;
        Within1 += z <= 1;
        Within2 += z <= 2;
        ++Count;
    }
    double Share1() const { return double(Within1) / Count; }
    double Share2() const { return double(Within2) / Count; }
};

bool Finite(const TFitResult& r)
{
    for (const double v : {r.Centre.Value, r.Centre.U, r.PpWidth.Value, r.PpWidth.U, r.Width.Value, r.Width.U,
                           r.Area.Value, r.Area.U, r.Chi2Red, r.ResidualRms, r.ResidualCorr})
        if (!std::isfinite(v))
            return false;
    return true;
}

} // namespace

class TestLineFit : public QObject {
    Q_OBJECT
private slots:
    void honestUncertainties_data();
    void honestUncertainties();
    void multiplets_data();
    void multiplets();
    void autoPicksTheShape();
    void voigtMixing();
    void pakePattern();
    void frequencySweepDistance();
    void badInput();
};

void TestLineFit::honestUncertainties_data()
{
    QTest::addColumn<double>("timeConstant");
    QTest::newRow("white noise") << 0.0;
    QTest::newRow("low-pass, 4 points") << 4.0;
}

// 200 spectra of one Gaussian line under 1 Gs modulation, each with fresh
// noise: the truth must lie within +-1 u in 55-80 % and within +-2 u in at
// least 90 % of the fits, for the centre, the width and M2.
void TestLineFit::honestUncertainties()
{
    QFETCH(double, timeConstant);
    const double sigma = 2.5, centre = 0.7, modAmp = 1.0, area = 4000;
    const std::vector<double> x = Grid(384, 40);
    std::vector<double> clean(x.size());
    for (size_t i = 0; i < x.size(); ++i)
        clean[i] = area * FirstHarmonic(GaussAbsorptionOf(sigma), x[i] - centre, modAmp, 400);
    std::mt19937 random(20261209);
    TCoverage c, w, m2;
    double correlation = 0;
    const int spectra = 200;
    for (int k = 0; k < spectra; ++k) {
        const std::vector<double> noise = Noise(random, x.size(), 3.0, timeConstant);
        std::vector<double> y(x.size());
        for (size_t i = 0; i < x.size(); ++i)
            y[i] = clean[i] + noise[i];
        TFitRequest request;
        request.Model = TFitModel::Gauss;
        request.ModAmp = modAmp;
        request.Noise = 3.0;
        const TFitResult r = FitLineShape(TLineView(x, y), request);
        QVERIFY2(r.Ok, qPrintable(r.Failure));
        c.Add(r.Centre.Value, r.Centre.U, centre);
        w.Add(r.Width.Value, r.Width.U, sigma);
        QVERIFY(r.M2);
        m2.Add(r.M2->Value, r.M2->U, sigma * sigma);
        correlation += r.ResidualCorr / spectra;
    }
    qInfo("mean lag-1 correlation of the residuals %.3f", correlation);
    QVERIFY(timeConstant > 0 ? correlation > 0.5 : std::abs(correlation) < 0.1);
    for (const auto& [name, cov] : {std::pair{"centre", c}, std::pair{"width", w}, std::pair{"M2", m2}}) {
        qInfo("tau %.0f points, %s: within 1 u %.1f %%, within 2 u %.1f %% of %d fits", timeConstant, name,
              100 * cov.Share1(), 100 * cov.Share2(), cov.Count);
        QVERIFY2(cov.Share1() >= 0.55 && cov.Share1() <= 0.80, name);
        QVERIFY2(cov.Share2() >= 0.90, name);
    }
}

void TestLineFit::multiplets_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("nuclei");
    QTest::addColumn<double>("spin");
    QTest::addColumn<QList<double>>("weights");
    QTest::newRow("nitroxide 1:1:1, lorentz") << int(TFitModel::Lorentz) << 1 << 1.0 << QList<double>{1, 1, 1};
    QTest::newRow("two 14N 1:2:3:2:1, gauss") << int(TFitModel::Gauss) << 2 << 1.0 << QList<double>{1, 2, 3, 2, 1};
}

void TestLineFit::multiplets()
{
    QFETCH(int, model);
    QFETCH(int, nuclei);
    QFETCH(double, spin);
    QFETCH(QList<double>, weights);
    const double width = 0.8, centre = -1.3, coupling = 4.0, modAmp = 0.3;
    const TAbsorption line = model == int(TFitModel::Lorentz) ? LorentzAbsorptionOf(width) : GaussAbsorptionOf(width);
    const std::vector<double> x = Grid(512, 40);
    const std::vector<double> y = WithNoise(MultipletCurve(x, line, modAmp, centre, coupling, {weights.begin(), weights.end()}, 500), 7, 1.0);
    TFitRequest request;
    request.Model = TFitModel(model);
    request.ModAmp = modAmp;
    request.Hyperfine = THyperfine{nuclei, spin};
    request.Noise = 1.0;
    const TFitResult r = FitLineShape(TLineView(x, y), request);
    QVERIFY2(r.Ok, qPrintable(r.Failure));
    QVERIFY(r.A);
    qInfo("a %.4f +- %.4f, centre %.4f +- %.4f, width %.4f +- %.4f", r.A->Value, r.A->U, r.Centre.Value, r.Centre.U,
          r.Width.Value, r.Width.U);
    // Within 3 u: one spectrum, so a 1 u or 2 u bound would fail by chance.
    QVERIFY(std::abs(r.A->Value - coupling) < 3 * r.A->U);
    QVERIFY(std::abs(r.Centre.Value - centre) < 3 * r.Centre.U);
    QVERIFY(std::abs(r.Width.Value - width) < 3 * r.Width.U);
    QVERIFY(r.A->U < 0.01 * coupling);
    // pp_width is that of one line, not the spread of the pattern.
    const double pp = model == int(TFitModel::Lorentz) ? 2 * width / std::sqrt(3.0) : 2 * width;
    QVERIFY(std::abs(r.PpWidth.Value - pp) < 3 * r.PpWidth.U);
}

void TestLineFit::autoPicksTheShape()
{
    const std::vector<double> x = Grid(512, 30);
    for (const bool lorentz : {false, true}) {
        const TAbsorption line = lorentz ? LorentzAbsorptionOf(1.2) : GaussAbsorptionOf(1.5);
        const std::vector<double> y = WithNoise(MultipletCurve(x, line, 0.5, 0.4, 0, {1}, 2000), lorentz ? 3 : 4, 2.0);
        TFitRequest request;
        request.ModAmp = 0.5;
        const TFitResult r = FitLineShape(TLineView(x, y), request);
        QVERIFY2(r.Ok, qPrintable(r.Failure));
        QCOMPARE(FitModelName(r.Model), lorentz ? QStringLiteral("lorentz") : QStringLiteral("gauss"));
        QVERIFY(std::abs(r.PpWidth.Value - (lorentz ? 2.4 / std::sqrt(3.0) : 3.0)) < 0.02);
    }
}

// A pseudo-Voigt line (half Lorentzian, half Gaussian of the same half
// width): voigt returns eta, the width and the area, and auto prefers it.
void TestLineFit::voigtMixing()
{
    const double hwhm = 1.0, eta = 0.5, area = 3000, modAmp = 0.4;
    const double sigma = hwhm / std::sqrt(2 * std::log(2.0));
    const TAbsorption line = [&](double d) { return eta * LorentzAbsorptionOf(hwhm)(d) + (1 - eta) * GaussAbsorptionOf(sigma)(d); };
    const std::vector<double> x = Grid(512, 30);
    const std::vector<double> y = WithNoise(MultipletCurve(x, line, modAmp, -0.6, 0, {1}, area), 9, 1.0);
    TFitRequest request;
    request.Model = TFitModel::Voigt;
    request.ModAmp = modAmp;
    const TFitResult r = FitLineShape(TLineView(x, y), request);
    QVERIFY2(r.Ok, qPrintable(r.Failure));
    QVERIFY(r.Eta);
    qInfo("eta %.4f +- %.4f, hwhm %.4f +- %.4f, area %.1f +- %.1f", r.Eta->Value, r.Eta->U, r.Width.Value, r.Width.U,
          r.Area.Value, r.Area.U);
    QVERIFY(std::abs(r.Eta->Value - eta) < 3 * r.Eta->U && r.Eta->U < 0.05);
    QVERIFY(std::abs(r.Width.Value - hwhm) < 3 * r.Width.U);
    QVERIFY(std::abs(r.Area.Value - area) < 3 * r.Area.U);
    QVERIFY(!r.M2);  // infinite with a Lorentzian share
    request.Model = TFitModel::Auto;
    QCOMPARE(FitModelName(FitLineShape(TLineView(x, y), request).Model), QStringLiteral("voigt"));
}

// A Pake doublet computed by brute force (many crystallites, many phases).
void TestLineFit::pakePattern()
{
    const double alpha = 5.37, sigma = 1.54, modAmp = 0.5, centre = 0.3;
    const std::vector<double> x = Grid(400, 50);
    const std::vector<double> y = WithNoise(MultipletCurve(x, PowderAbsorption(alpha, sigma, 600), modAmp, centre, 0, {1}, 3000), 5, 1.0);
    TFitRequest request;
    request.Model = TFitModel::Pake;
    request.ModAmp = modAmp;
    const TFitResult r = FitLineShape(TLineView(x, y), request);
    QVERIFY2(r.Ok, qPrintable(r.Failure));
    QVERIFY(r.Alpha && r.M2 && r.RHH);
    qInfo("alpha %.4f +- %.4f, sigma %.4f +- %.4f, M2 %.3f +- %.3f, r %.4f +- %.4f A", r.Alpha->Value, r.Alpha->U,
          r.Width.Value, r.Width.U, r.M2->Value, r.M2->U, r.RHH->Value, r.RHH->U);
    QVERIFY(std::abs(r.Alpha->Value - alpha) < 0.005 * alpha);
    QVERIFY(std::abs(r.Width.Value - sigma) < 0.01 * sigma);
    QVERIFY(std::abs(r.M2->Value - (0.8 * alpha * alpha + sigma * sigma)) < 0.01 * r.M2->Value);
    // alpha = 1.5 mu_p / r^3: 5.37 Gs is a pair 1.58 A apart.
    QVERIFY(std::abs(r.RHH->Value - 1.5799) < 0.003);
    QVERIFY(!r.Eta && !r.A);
}

// On a frequency sweep (kHz) the distance still comes from alpha in Gs.
void TestLineFit::frequencySweepDistance()
{
    const double gamma = 4.2577469, alphaGs = 5.37;
    const std::vector<double> x = Grid(300, 50 * gamma);
    std::vector<double> y = MultipletCurve(x, PowderAbsorption(alphaGs * gamma, 1.54 * gamma, 400), 0, 0, 0, {1}, 3e4);
    TFitRequest request;
    request.Model = TFitModel::Pake;
    request.XPerGauss = gamma;
    y[7] += 0.5;  // a little noise, so that the uncertainty is not zero
    const TFitResult r = FitLineShape(TLineView(x, y), request);
    QVERIFY2(r.Ok, qPrintable(r.Failure));
    QVERIFY(std::abs(r.Alpha->Value / gamma - alphaGs) < 0.01);
    QVERIFY(std::abs(r.RHH->Value - 1.5799) < 0.003);
}

void TestLineFit::badInput()
{
    std::mt19937 random(11);
    const std::vector<double> x = Grid(256, 20);
    const std::vector<double> noise = Noise(random, x.size(), 2.0, 0);
    const std::vector<double> flat(x.size(), 7.0);
    const std::vector<double> x5(x.begin(), x.begin() + 5), y5(noise.begin(), noise.begin() + 5);
    const std::vector<double> xSame(x.size(), 1.0);
    struct TCase {
        const char* Name;
        TLineView View;
        int First, Last;
        TFitModel Model;
    };
    const TCase cases[] = {
        {"fewer points than parameters", TLineView(x5, y5), 0, -1, TFitModel::Voigt},
        {"a range of five points", TLineView(x, noise), 10, 14, TFitModel::Gauss},
        {"flat", TLineView(x, flat), 0, -1, TFitModel::Auto},
        {"noise only", TLineView(x, noise), 0, -1, TFitModel::Auto},
        {"noise only, pake", TLineView(x, noise), 0, -1, TFitModel::Pake},
        {"range outside the spectrum", TLineView(x, noise), 200, 300, TFitModel::Gauss},
        {"no extent along x", TLineView(xSame, noise), 0, -1, TFitModel::Lorentz},
    };
    for (const TCase& c : cases) {
        TFitRequest request;
        request.Model = c.Model;
        request.First = c.First;
        request.Last = c.Last;
        request.ModAmp = 0.5;
        request.Noise = 2;
        const TFitResult r = FitLineShape(c.View, request);
        qInfo("%s: %s", c.Name, qPrintable(r.Failure));
        QVERIFY2(!r.Ok, c.Name);
        QVERIFY2(!r.Failure.isEmpty(), c.Name);
        QVERIFY2(Finite(r), c.Name);
    }
}

QTEST_GUILESS_MAIN(TestLineFit)
#include "test_LineFit.moc"
