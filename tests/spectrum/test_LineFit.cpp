// The line-shape fit on synthetic spectra with known truth: honest
// uncertainties over many noisy spectra (white and low-passed noise),
// hyperfine patterns that converge from the spectrum alone, model choice,
// the Pake pattern, g at the fitted centre, lines decided from the data,
// clipped points, and bad input that must end in a reason rather than a number.
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

std::vector<double> Plus(std::vector<double> y, const std::vector<double>& noise)
{
    for (size_t i = 0; i < y.size(); ++i)
        y[i] += noise[i];
    return y;
}

TAbsorption Shape(TFitModel model, double width)
{
    return model == TFitModel::Lorentz ? LorentzAbsorptionOf(width) : GaussAbsorptionOf(width);
}

} // namespace

class TestLineFit : public QObject {
    Q_OBJECT
private slots:
    void honestUncertainties_data();
    void honestUncertainties();
    void hyperfinePatternsConverge_data();
    void hyperfinePatternsConverge();
    void severalGroups();
    void autoAndPseudoVoigt();
    void pakePattern();
    void frequencySweepDistance();
    void gAtTheFittedCentre();
    void linesDecidedFromTheData_data();
    void linesDecidedFromTheData();
    void clippedPointsLeftOut();
    void badInput();
};

void TestLineFit::honestUncertainties_data()
{
    QTest::addColumn<double>("timeConstant");
    QTest::newRow("white noise") << 0.0;
    QTest::newRow("low-pass, 4 points") << 4.0;
    QTest::newRow("low-pass, 32 points") << 32.0;
}

// 120 spectra of one Gaussian line (sigma about 41 points of 1024) under 1
// Gs modulation, each with fresh noise and the noise measured on the wings
// as meril-proc does: the truth must lie within +-1 u in 55-80 % and within
// +-2 u in at least 90 % of the fits, for the centre, the width and M2. The
// line sits exactly at x = 0, where a fit whose centre cannot move from its
// start would stay with no uncertainty.
void TestLineFit::honestUncertainties()
{
    QFETCH(double, timeConstant);
    const double sigma = 4, centre = 0, modAmp = 1.0, area = 4000;
    const std::vector<double> x = Grid(1024, 100);
    std::vector<double> clean(x.size());
    for (size_t i = 0; i < x.size(); ++i)
        clean[i] = area * FirstHarmonic(GaussAbsorptionOf(sigma), x[i] - centre, modAmp, 400);
    std::mt19937 random(20261209);
    TCoverage c, w, m2;
    const int spectra = 120;
    for (int k = 0; k < spectra; ++k) {
        TFitRequest request;
        request.Model = TFitModel::Gauss;
        request.ModAmp = modAmp;
        const TFitResult r = FitLineShape(TLineView(x, Plus(clean, Noise(random, x.size(), 3.0, timeConstant))), request);
        QVERIFY2(r.Ok, qPrintable(r.Failure));
        QVERIFY2(r.Centre.U > 0 && r.Centre.Value != 0, qPrintable(QString::number(r.Centre.U)));
        QVERIFY2(!r.Misfit, qPrintable(QString::number(r.Chi2Red)));
        c.Add(r.Centre.Value, r.Centre.U, centre);
        w.Add(r.Width.Value, r.Width.U, sigma);
        m2.Add(r.M2->Value, r.M2->U, sigma * sigma);
    }
    for (const auto& [name, cov] : {std::pair{"centre", c}, std::pair{"width", w}, std::pair{"M2", m2}}) {
        qInfo("tau %.0f points, %s: within 1 u %.1f %%, within 2 u %.1f %% of %d fits", timeConstant, name,
              100 * cov.Share1(), 100 * cov.Share2(), cov.Count);
        QVERIFY2(cov.Share1() >= 0.55 && cov.Share1() <= 0.80, name);
        QVERIFY2(cov.Share2() >= 0.90, name);
    }
}

void TestLineFit::hyperfinePatternsConverge_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("nuclei");
    QTest::addColumn<double>("spin");
    QTest::addColumn<QList<double>>("weights");
    QTest::addColumn<double>("timeConstant");
    QTest::newRow("nitroxide 1:1:1, lorentz") << int(TFitModel::Lorentz) << 1 << 1.0 << QList<double>{1, 1, 1} << 0.0;
    QTest::newRow("nitroxide 1:1:1, lorentz, low-pass 8 points")
        << int(TFitModel::Lorentz) << 1 << 1.0 << QList<double>{1, 1, 1} << 8.0;
    QTest::newRow("two 14N 1:2:3:2:1, gauss") << int(TFitModel::Gauss) << 2 << 1.0 << QList<double>{1, 2, 3, 2, 1} << 0.0;
}

// Clean resolved multiplets at 1024 points converge to the truth from the
// spectrum alone in at least 99 of 100 noise draws.
void TestLineFit::hyperfinePatternsConverge()
{
    QFETCH(int, model);
    QFETCH(int, nuclei);
    QFETCH(double, spin);
    QFETCH(QList<double>, weights);
    QFETCH(double, timeConstant);
    const double width = 0.8, centre = -1.3, coupling = 4.0, modAmp = 0.3;
    const std::vector<double> x = Grid(1024, 40);
    const std::vector<double> clean =
        MultipletCurve(x, Shape(TFitModel(model), width), modAmp, centre, coupling, {weights.begin(), weights.end()}, 500);
    std::mt19937 random(77);
    int converged = 0;
    TCoverage a;
    for (int k = 0; k < 100; ++k) {
        TFitRequest request;
        request.Model = TFitModel(model);
        request.ModAmp = modAmp;
        request.Hyperfine = {THyperfine{nuclei, spin}};
        const TFitResult r = FitLineShape(TLineView(x, Plus(clean, Noise(random, x.size(), 1.0, timeConstant))), request);
        if (!r.Ok || r.A.size() != 1)
            continue;
        converged += std::abs(r.A[0].Value - coupling) < 5 * r.A[0].U && std::abs(r.Centre.Value - centre) < 5 * r.Centre.U &&
                     std::abs(r.Width.Value - width) < 5 * r.Width.U;
        a.Add(r.A[0].Value, r.A[0].U, coupling);
    }
    qInfo("%d of 100 converged; a within 1 u in %.0f %%", converged, 100 * a.Share1());
    QVERIFY(converged >= 99);
}

// Three groups (1 14N, 2 and 1 protons): 3 x 3 x 2 lines; the couplings come
// back in the order given.
void TestLineFit::severalGroups()
{
    const std::vector<double> x = Grid(2048, 40);
    const std::vector<TSplitting> groups{{{1, 1, 1}, 6.0}, {{1, 2, 1}, 2.3}, {{1, 1}, 0.9}};
    const std::vector<double> y = WithNoise(SplitCurve(x, LorentzAbsorptionOf(0.15), 0.1, 0.7, groups, 800), 21, 1.0);
    TFitRequest request;
    request.Model = TFitModel::Lorentz;
    request.ModAmp = 0.1;
    request.Hyperfine = {{1, 1}, {2, 0.5}, {1, 0.5}};
    const TFitResult r = FitLineShape(TLineView(x, y), request);
    QVERIFY2(r.Ok, qPrintable(r.Failure));
    QCOMPARE(int(r.A.size()), 3);
    for (size_t g = 0; g < 3; ++g) {
        qInfo("a%zu %.4f +- %.4f", g + 1, r.A[g].Value, r.A[g].U);
        QVERIFY(std::abs(r.A[g].Value - groups[g].Coupling) < 4 * r.A[g].U);
    }
    QVERIFY(std::abs(r.Centre.Value - 0.7) < 4 * r.Centre.U);
    QVERIFY(!r.Misfit);
}

// auto tells a Gaussian from a Lorentzian and takes the pseudo-Voigt for a
// mix; eta stays within 0..1 with an uncertainty even where the line is
// all Gaussian.
void TestLineFit::autoAndPseudoVoigt()
{
    const std::vector<double> x = Grid(512, 30);
    const double hwhm = 1.0, sigma = hwhm / std::sqrt(2 * std::log(2.0));
    const TAbsorption mixed = [&](double d) { return 0.5 * LorentzAbsorptionOf(hwhm)(d) + 0.5 * GaussAbsorptionOf(sigma)(d); };
    struct TCase {
        const char* Name;
        TAbsorption Line;
        TFitModel Picked;
    };
    const TCase cases[] = {{"gauss", GaussAbsorptionOf(1.5), TFitModel::Gauss},
                           {"lorentz", LorentzAbsorptionOf(1.2), TFitModel::Lorentz},
                           {"half and half", mixed, TFitModel::Voigt}};
    for (const TCase& c : cases) {
        const std::vector<double> y = WithNoise(MultipletCurve(x, c.Line, 0.4, -0.6, 0, {1}, 3000), 9, 1.0);
        TFitRequest request;
        request.ModAmp = 0.4;
        const TFitResult picked = FitLineShape(TLineView(x, y), request);
        QVERIFY2(picked.Ok, qPrintable(picked.Failure));
        QCOMPARE(FitModelName(picked.Model), FitModelName(c.Picked));
        request.Model = TFitModel::Voigt;
        const TFitResult voigt = FitLineShape(TLineView(x, y), request);
        QVERIFY2(voigt.Ok && voigt.Eta, c.Name);
        qInfo("%s: eta %.4f +- %.4f", c.Name, voigt.Eta->Value, voigt.Eta->U);
        QVERIFY2(voigt.Eta->Value >= 0 && voigt.Eta->Value <= 1 && voigt.Eta->U > 0 && voigt.Eta->U < 0.1, c.Name);
        const double eta = c.Picked == TFitModel::Gauss ? 0 : c.Picked == TFitModel::Lorentz ? 1 : 0.5;
        QVERIFY2(std::abs(voigt.Eta->Value - eta) < std::max(3 * voigt.Eta->U, 0.02), c.Name);
        QVERIFY(!voigt.M2);  // infinite with a Lorentzian share
    }
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
    QVERIFY(!r.Eta && r.A.empty());
}

// On a frequency sweep (kHz) the distance still comes from alpha in Gs.
void TestLineFit::frequencySweepDistance()
{
    const double gamma = 4.2577469, alphaGs = 5.37;
    const std::vector<double> x = Grid(300, 50 * gamma);
    const std::vector<double> y =
        WithNoise(MultipletCurve(x, PowderAbsorption(alphaGs * gamma, 1.54 * gamma, 400), 0, 0, 0, {1}, 3e4), 3, 0.5);
    TFitRequest request;
    request.Model = TFitModel::Pake;
    request.XPerGauss = gamma;
    const TFitResult r = FitLineShape(TLineView(x, y), request);
    QVERIFY2(r.Ok, qPrintable(r.Failure));
    QVERIFY(std::abs(r.Alpha->Value / gamma - alphaGs) < 0.01);
    QVERIFY(std::abs(r.RHH->Value - 1.5799) < 0.003);
}

// A line 5 Gs above B0 = 3390 Gs at 9.5 GHz: g = h f / (muB (B0 + 5 Gs)) =
// 1.999274 (B0 - 5 Gs would give 2.005180). Its uncertainty adds the
// rounding of the stored texts (B0 to 0.01 Gs, the frequency to 0.1 kHz,
// each half a digit over sqrt 3) to that of the centre.
void TestLineFit::gAtTheFittedCentre()
{
    const std::vector<double> x = Grid(1024, 20);
    const std::vector<double> y = WithNoise(MultipletCurve(x, LorentzAbsorptionOf(0.8), 0.2, 5.0, 0, {1}, 3000), 4, 1.0);
    TFitRequest request;
    request.Model = TFitModel::Lorentz;
    request.ModAmp = 0.2;
    request.EsrFrequencyKHz = 9.5e6;
    request.B0 = 3390;
    request.B0Digit = 0.01;
    request.FrequencyDigitKHz = 0.1;
    const TFitResult r = FitLineShape(TLineView(x, y), request);
    QVERIFY2(r.Ok && r.G, qPrintable(r.Failure));
    const double h = 6.62607015e-34, muB = 9.2740100783e-24;
    const double g = h * 9.5e9 / (muB * (3390 + r.Centre.Value) * 1e-4);
    qInfo("g %.7f +- %.2g (fit %.2g, texts %.2g)", r.G->Value, r.G->U, r.GUFit, r.GUField);
    QVERIFY(std::abs(r.G->Value - g) < 1e-9);
    QVERIFY(std::abs(r.G->Value - 1.999274) < 5e-6);
    const double field = g * std::hypot(0.01 / std::sqrt(12.0) / (3390 + r.Centre.Value), 0.1 / std::sqrt(12.0) / 9.5e6);
    QVERIFY(std::abs(r.GUField - field) < 1e-3 * field);
    QVERIFY(std::abs(r.GUFit - g * r.Centre.U / (3390 + r.Centre.Value)) < 1e-3 * r.GUFit);
    QVERIFY(std::abs(r.G->U - std::hypot(r.GUFit, r.GUField)) < 1e-12);
}

void TestLineFit::linesDecidedFromTheData_data()
{
    QTest::addColumn<double>("height");  // peak to peak over the noise
    QTest::addColumn<int>("truth");
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("fitted");
    QTest::addColumn<bool>("misfit");
    QTest::newRow("noise only") << 0.0 << int(TFitModel::Gauss) << int(TFitModel::Gauss) << false << false;
    QTest::newRow("20 x noise, right model") << 20.0 << int(TFitModel::Gauss) << int(TFitModel::Gauss) << true << false;
    QTest::newRow("20 x noise, wrong model") << 20.0 << int(TFitModel::Gauss) << int(TFitModel::Lorentz) << true << false;
    QTest::newRow("2000 x noise, wrong model") << 2000.0 << int(TFitModel::Lorentz) << int(TFitModel::Gauss) << true << true;
}

// Whether a line is there follows from its height against the noise, never
// from the uncertainties of a model that may not describe it; a model that
// leaves structure is a result marked as a misfit.
void TestLineFit::linesDecidedFromTheData()
{
    QFETCH(double, height);
    QFETCH(int, truth);
    QFETCH(int, model);
    QFETCH(bool, fitted);
    QFETCH(bool, misfit);
    const std::vector<double> x = Grid(1024, 40);
    std::vector<double> y = MultipletCurve(x, Shape(TFitModel(truth), 1.0), 0.2, 0.4, 0, {1}, 1);
    const auto [low, high] = std::minmax_element(y.begin(), y.end());
    const double scale = height / (*high - *low);
    for (double& v : y)
        v *= scale;
    TFitRequest request;
    request.Model = TFitModel(model);
    request.ModAmp = 0.2;
    for (unsigned seed = 1; seed <= 5; ++seed) {
        const TFitResult r = FitLineShape(TLineView(x, WithNoise(y, seed, 1.0)), request);
        qInfo("seed %u: %s chi2 %.2f, corr %.2f", seed, qPrintable(r.Failure), r.Chi2Red, r.ResidualCorr);
        QCOMPARE(r.Ok, fitted);
        QCOMPARE(r.Misfit, misfit);
        QVERIFY(Finite(r));
    }
}

// Points at the converter's limit carry only a bound: left out, the fit
// finds the true width; taken as measured, they would flatten the lobes.
void TestLineFit::clippedPointsLeftOut()
{
    const std::vector<double> x = Grid(1024, 30);
    std::vector<double> y = WithNoise(MultipletCurve(x, LorentzAbsorptionOf(1.0), 0.3, 0.2, 0, {1}, 1500), 6, 1.0);
    TFitRequest request;
    request.Model = TFitModel::Lorentz;
    request.ModAmp = 0.3;
    request.LeftOut.resize(y.size());
    int clipped = 0;
    for (size_t i = 0; i < y.size(); ++i)
        if (std::abs(y[i]) >= 250) {
            y[i] = std::copysign(250.0, y[i]);
            request.LeftOut[i] = true;
            ++clipped;
        }
    QVERIFY(clipped > 10);
    const TFitResult r = FitLineShape(TLineView(x, y), request);
    QVERIFY2(r.Ok, qPrintable(r.Failure));
    QCOMPARE(r.LeftOut, clipped);
    QVERIFY2(std::abs(r.Width.Value - 1.0) < 4 * r.Width.U, qPrintable(QString::number(r.Width.Value)));
    request.LeftOut.clear();
    const TFitResult biased = FitLineShape(TLineView(x, y), request);
    QVERIFY(biased.Width.Value - 1.0 > 10 * r.Width.U);
}

void TestLineFit::badInput()
{
    std::mt19937 random(11);
    const std::vector<double> x = Grid(256, 20);
    const std::vector<double> noise = Noise(random, x.size(), 2.0, 0);
    const std::vector<double> line = WithNoise(MultipletCurve(x, LorentzAbsorptionOf(1.0), 0, 0, 0, {1}, 500), 2, 1.0);
    const std::vector<double> flat(x.size(), 7.0);
    const std::vector<double> x3(x.begin(), x.begin() + 3), y3(line.begin() + 120, line.begin() + 123);
    const std::vector<double> xSame(x.size(), 1.0);
    struct TCase {
        const char* Name;
        TLineView View;
        int First, Last;
        TFitModel Model;
        THyperfineGroups Hyperfine;
        double ModAmp;
    };
    const TCase cases[] = {
        {"three points", TLineView(x3, y3), 0, -1, TFitModel::Gauss, {}, 0.5},
        {"a range of five points", TLineView(x, line), 10, 14, TFitModel::Voigt, {}, 0.5},
        {"flat", TLineView(x, flat), 0, -1, TFitModel::Auto, {}, 0.5},
        {"noise only", TLineView(x, noise), 0, -1, TFitModel::Auto, {}, 0.5},
        {"noise only, pake", TLineView(x, noise), 0, -1, TFitModel::Pake, {}, 0.5},
        {"range outside the spectrum", TLineView(x, line), 200, 300, TFitModel::Gauss, {}, 0.5},
        {"no extent along x", TLineView(xSame, line), 0, -1, TFitModel::Lorentz, {}, 0.5},
        {"a group of 0 nuclei", TLineView(x, line), 0, -1, TFitModel::Lorentz, {{0, 1}}, 0.5},
        {"a group of 99 nuclei", TLineView(x, line), 0, -1, TFitModel::Lorentz, {{99, 0.5}}, 0.5},
        {"spin 0", TLineView(x, line), 0, -1, TFitModel::Lorentz, {{1, 0}}, 0.5},
        {"spin 7.5", TLineView(x, line), 0, -1, TFitModel::Lorentz, {{1, 7.5}}, 0.5},
        {"a splitting the line does not show", TLineView(x, line), 0, -1, TFitModel::Lorentz, {{1, 1}}, 0.5},
        {"modulation not a number", TLineView(x, line), 0, -1, TFitModel::Gauss, {}, NAN},
    };
    for (const TCase& c : cases) {
        TFitRequest request;
        request.Model = c.Model;
        request.First = c.First;
        request.Last = c.Last;
        request.ModAmp = c.ModAmp;
        request.Hyperfine = c.Hyperfine;
        const TFitResult r = FitLineShape(c.View, request);
        qInfo("%s: %s", c.Name, qPrintable(r.Failure));
        QVERIFY2(!r.Ok, c.Name);
        QVERIFY2(!r.Failure.isEmpty(), c.Name);
        QVERIFY2(Finite(r), c.Name);
    }
}

QTEST_GUILESS_MAIN(TestLineFit)
#include "test_LineFit.moc"
