// The measurement checks: each fires on a spectrum made to trigger it, and
// none fires on clean, well-set spectra (white noise and noise through a
// lock-in's low-pass). Every finding has a sentence: a test in which one
// has none fails.
#include "Baseline.h"
#include "Cursors.h"
#include "DataFile.h"
#include "MeasurementChecks.h"
#include "SyntheticLines.h"

#include <QRegularExpression>
#include <QtTest>
#include <cmath>
#include <random>

namespace {

constexpr int Points = 1024;
constexpr double Range = 60;
constexpr double Sigma = 3;

TCheckInput CheckInput(TLineView spectrum, std::span<const double> baseline, double modAmp,
                       std::vector<TMomentCursors> moments)
{
    TCheckInput in;
    in.Spectrum = spectrum;
    in.Baseline = baseline;
    in.ModAmp = modAmp;
    in.Moments = std::move(moments);
    return in;
}

// A stored spectrum: f plus noise of rms `noise` (white, or through a
// first-order low-pass of `timeConstant` points, rescaled to the same rms),
// on an offset, rounded to whole counts and clipped as the reader does.
struct TStored {
    TSyntheticLine Line;
    std::vector<double> Baseline;
    int BeyondLimit = 0;   // points whose true value lay beyond +-500

    TStored(const std::function<double(double)>& f, double noise, unsigned seed, double timeConstant = 0)
    {
        std::mt19937 random(seed);
        std::normal_distribution<double> normal;
        const double a = timeConstant > 0 ? std::exp(-1 / timeConstant) : 0;
        const double gain = std::sqrt((1 + a) / (1 - a)) * (1 - a);
        double filtered = 0;
        Line = SampleLine(Points, Range, [&](double x) {
            filtered = a * filtered + normal(random);
            const double y = std::round(40 + f(x) + noise * (a > 0 ? gain * filtered : filtered));
            if (std::abs(y) > SpectrumLimit)
                ++BeyondLimit;
            return std::clamp(y, -double(SpectrumLimit), double(SpectrumLimit));
        });
        Baseline = BaselineValues(ComputeBaseline(Line.Y), Points);
    }
    // Moment cursors at +-k sigma of a line centred on 0.
    static TMomentCursors At(double k)
    {
        const double perPoint = (Points - 1) / Range;
        return {int(std::lround((Range / 2 - k * Sigma) * perPoint)), int(std::lround((Range / 2 + k * Sigma) * perPoint))};
    }
    TCheckInput Input(double modAmp = 0.5, std::vector<TMomentCursors> moments = {At(5)}) const
    {
        return CheckInput(Line.View(), Baseline, modAmp, std::move(moments));
    }
};

// Findings without a sentence, gathered for the check after each test.
QStringList Unsaid;

QStringList Codes(const std::vector<TMeasurementWarning>& warnings)
{
    QStringList codes;
    for (const TMeasurementWarning& w : warnings) {
        // Every finding says what is wrong and what to do, in a sentence.
        if (w.Text.size() < 20 || !w.Text.endsWith(QLatin1Char('.')) || w.Text.contains(QLatin1String("nan")))
            Unsaid << w.Code + QStringLiteral(": ") + w.Text;
        codes << w.Code;
    }
    return codes;
}

QString TextOf(const std::vector<TMeasurementWarning>& warnings, const QString& code)
{
    for (const TMeasurementWarning& w : warnings)
        if (w.Code == code)
            return w.Text;
    return {};
}

// Gaussian derivative lines of width Sigma at the given centres and relative heights.
std::function<double(double)> Lines(std::vector<std::pair<double, double>> lines, double height = 300)
{
    const auto one = GaussianDerivative(Sigma, height);
    return [=](double x) {
        double y = 0;
        for (const auto& [centre, weight] : lines)
            y += weight * one(x - centre);
        return y;
    };
}

} // namespace

class TestMeasurementChecks : public QObject {
    Q_OBJECT
private slots:
    void cleanup();
    void cleanSpectraRaiseNothing();
    void clippedPointsAreCounted();
    void overmodulationAgainstOneLineOrTheFit();
    void wingsCutByTheDerivativeOrTheAbsorption();
    void severalCrossingsMakeTheCentreAmbiguous();
    void weakLineIsLowSnr();
    void shiftedBaselineDrifts();
    void findingsOfTheFit();
    void degenerateInputs();
    void implausibleGIsNotShown();
};

void TestMeasurementChecks::cleanup()
{
    const QStringList unsaid = std::exchange(Unsaid, {});
    QVERIFY2(unsaid.isEmpty(), qPrintable(unsaid.join(QLatin1Char('\n'))));
}

void TestMeasurementChecks::cleanSpectraRaiseNothing()
{
    for (unsigned seed = 1; seed <= 12; ++seed) {
        for (const double timeConstant : {0.0, 4.0}) {
            const TStored s(Lines({{0, 1}}), 2, seed, timeConstant);
            const auto warnings = CheckMeasurements(s.Input());
            QVERIFY2(warnings.empty(), qPrintable(QStringLiteral("seed %1, time constant %2: %3")
                                                      .arg(seed)
                                                      .arg(timeConstant)
                                                      .arg(Codes(warnings).join(QLatin1Char(' ')))));
        }
    }
}

void TestMeasurementChecks::clippedPointsAreCounted()
{
    const TStored s(Lines({{0, 1}}, 620), 2, 3);
    QVERIFY(s.BeyondLimit > 4);
    const auto warnings = CheckMeasurements(s.Input());
    // The clipped lobes no longer integrate to zero: the absorption's wings
    // are off too.
    QCOMPARE(Codes(warnings), (QStringList{"clipped", "wings_cut"}));
    QVERIFY2(TextOf(warnings, "clipped").startsWith(QStringLiteral("%1 points at the \u00b1500 limit").arg(s.BeyondLimit)),
             qPrintable(TextOf(warnings, "clipped")));
    QVERIFY(TextOf(warnings, "clipped").contains("lower the gain"));
}

void TestMeasurementChecks::overmodulationAgainstOneLineOrTheFit()
{
    const TStored s(Lines({{0, 1}}), 2, 4);
    // The line's extremes are about 2 sigma = 6 Gs apart: 2.4 Gs is more
    // than a third of it, 1.8 Gs not.
    QVERIFY(Codes(CheckMeasurements(s.Input(1.8))).isEmpty());
    const auto over = CheckMeasurements(s.Input(2.4));
    QCOMPARE(Codes(over), QStringList{"overmodulated"});
    QVERIFY(TextOf(over, "overmodulated").contains("2.400 Gs"));
    // A fit's width, when there is one, decides instead; a failed fit does not.
    TFitResult fit;
    fit.Ok = true;
    fit.PpWidth = {7.5, 0.1};
    TCheckInput in = s.Input(2.4);
    in.Fit = &fit;
    QVERIFY(Codes(CheckMeasurements(in)).isEmpty());
    in.ModAmp = 1.5;
    fit.PpWidth = {4.0, 0.1};
    QCOMPARE(Codes(CheckMeasurements(in)), QStringList{"overmodulated"});
    fit.Ok = false;
    fit.Failure = QStringLiteral("The fit did not converge in 200 iterations.");
    in.ModAmp = 2.4;
    QCOMPARE(Codes(CheckMeasurements(in)), (QStringList{"overmodulated", "fit_failed"}));
    // Two 14N (1:2:3:2:1) 9 Gs apart, lines 6 Gs peak to peak, 3.5 Gs
    // modulation: one line, not the whole pattern, is measured (its lobes,
    // pulled in by its neighbours, stand 4.9 Gs apart).
    const TStored pattern(Lines({{-18, 1}, {-9, 2}, {0, 3}, {9, 2}, {18, 1}}, 100), 2, 4);
    const auto dpph = CheckMeasurements(pattern.Input(3.5, {}));
    QVERIFY2(Codes(dpph).contains("overmodulated"), qPrintable(Codes(dpph).join(' ')));
    const QRegularExpressionMatch width =
        QRegularExpression(QStringLiteral("width \\(([0-9.]+) Gs")).match(TextOf(dpph, "overmodulated"));
    QVERIFY2(width.hasMatch() && qAbs(width.captured(1).toDouble() - 4.87) < 0.4,
             qPrintable(TextOf(dpph, "overmodulated")));
}

void TestMeasurementChecks::wingsCutByTheDerivativeOrTheAbsorption()
{
    const TStored s(Lines({{0, 1}}), 2, 5);
    // The automatic moment cursors stand where |y| reaches 20 counts.
    TCursorState state;
    const std::vector<double> view = [&] {
        std::vector<double> d(static_cast<size_t>(Points));
        for (int i = 0; i < Points; ++i)
            d[size_t(i)] = s.Line.Y[size_t(i)] - s.Baseline[size_t(i)];
        return d;
    }();
    PlaceM2Cursors(state, TLineView(s.Line.X, view), s.Line.View(), s.Baseline);
    const auto automatic = CheckMeasurements(s.Input(0.5, {{state.Positions[1], state.Positions[2]}}));
    QCOMPARE(Codes(automatic), QStringList{"wings_cut"});
    QVERIFY2(TextOf(automatic, "wings_cut").contains("derivative is still"), qPrintable(TextOf(automatic, "wings_cut")));
    QVERIFY(TextOf(automatic, "wings_cut").contains("M2 and M4 read low"));
    // Any one moment measurement with cut wings is enough.
    QCOMPARE(Codes(CheckMeasurements(s.Input(0.5, {TStored::At(5), TStored::At(1.5)}))), QStringList{"wings_cut"});

    // A flat-topped absorption (the derivative is a rising and a falling
    // Gaussian): inside the plateau the derivative is zero but the absorption
    // stands at its full height.
    const auto plateau = [](double x) {
        const auto bump = [](double u) { return 120 * std::exp(-u * u / (2 * Sigma * Sigma)); };
        return bump(x + 12) - bump(x - 12);
    };
    const TStored p(plateau, 2, 6);
    const auto inside = CheckMeasurements(p.Input(0.5, {TStored::At(0)}));
    QCOMPARE(Codes(inside), QStringList{"wings_cut"});
    QVERIFY2(TextOf(inside, "wings_cut").contains("absorption has not come back"), qPrintable(TextOf(inside, "wings_cut")));
    QVERIFY(Codes(CheckMeasurements(p.Input(0.5, {TStored::At(9)}))).isEmpty());
}

void TestMeasurementChecks::severalCrossingsMakeTheCentreAmbiguous()
{
    // A 1:1:1 triplet, resolved: the derivative crosses zero downward three
    // times between its outer extremes.
    const TStored triplet(Lines({{-10, 1}, {0, 1}, {10, 1}}), 2, 7);
    const auto warnings = CheckMeasurements(triplet.Input(0.5, {}));
    QCOMPARE(Codes(warnings), QStringList{"ambiguous_centre"});
    QVERIFY(TextOf(warnings, "ambiguous_centre").startsWith("3 zero crossings"));
    // The same with the lobes the other way round (the minimum first).
    const TStored mirrored(Lines({{-10, -1}, {0, -1}, {10, -1}}), 2, 7);
    QCOMPARE(Codes(CheckMeasurements(mirrored.Input(0.5, {}))), QStringList{"ambiguous_centre"});
    // Two lines that overlap into one shape: one crossing, no finding.
    const TStored merged(Lines({{-1.5, 1}, {1.5, 1}}, 200), 2, 7);
    QVERIFY(Codes(CheckMeasurements(merged.Input(0.5, {}))).isEmpty());
}

// The height is measured on robust extremes, which the noise's own
// extremes hardly raise: a line 8 times the noise is low in nearly every
// noise draw, one 14 times nearly never.
void TestMeasurementChecks::weakLineIsLowSnr()
{
    const double noise = 4;  // the peak-to-peak height of GaussianDerivative(s, h) is 2h
    int low8 = 0, low14 = 0;
    for (unsigned seed = 1; seed <= 10; ++seed) {
        low8 += Codes(CheckMeasurements(TStored(Lines({{0, 1}}, 8 * noise / 2), noise, seed).Input(0.5, {}))).contains("low_snr");
        low14 += Codes(CheckMeasurements(TStored(Lines({{0, 1}}, 14 * noise / 2), noise, seed).Input(0.5, {}))).contains("low_snr");
    }
    QVERIFY2(low8 >= 9 && low14 <= 1, qPrintable(QStringLiteral("%1 %2").arg(low8).arg(low14)));
    const auto warnings = CheckMeasurements(TStored(Lines({{0, 1}}, 8), noise, 8).Input(0.5, {}));
    QVERIFY(TextOf(warnings, "low_snr").contains("accumulate more passes"));
}

void TestMeasurementChecks::shiftedBaselineDrifts()
{
    TStored s(Lines({{0, 1}}), 2, 9);
    // Raised by 2 counts, as two clicks of the baseline button do.
    TBaseline raised = ComputeBaseline(s.Line.Y);
    StepBaseline(raised, TBaselineStep::Up);
    StepBaseline(raised, TBaselineStep::Up);
    s.Baseline = BaselineValues(raised, Points);
    const auto warnings = CheckMeasurements(s.Input());
    // The offset also integrates into the absorption's wings.
    QCOMPARE(Codes(warnings), (QStringList{"wings_cut", "baseline_drift"}));
    const QRegularExpressionMatch mean =
        QRegularExpression(QStringLiteral("left wing's mean is (-?[0-9.]+)")).match(TextOf(warnings, "baseline_drift"));
    QVERIFY2(mean.hasMatch() && qAbs(mean.captured(1).toDouble() + 2) < 0.3, qPrintable(TextOf(warnings, "baseline_drift")));
    // A slope the automatic baseline follows only at the ends' means: a
    // drift of 60 counts across the sweep leaves the wings off by about 3.
    const TStored sloped([](double x) { return GaussianDerivative(Sigma, 300)(x) + x; }, 2, 10);
    QVERIFY(Codes(CheckMeasurements(sloped.Input())).contains("baseline_drift"));
    // Bowed by 10 times the noise between the middle and the ends: the
    // wings' means sit on the straight baseline, their curvature does not.
    const TStored bowed([](double x) { return GaussianDerivative(Sigma, 300)(x) + 20 * (1 - x * x / (Range * Range / 4)); }, 2, 11);
    const auto bow = CheckMeasurements(bowed.Input(0.5, {}));
    QVERIFY2(Codes(bow).contains("baseline_drift") && TextOf(bow, "baseline_drift").contains("bowed"),
             qPrintable(Codes(bow).join(' ')));
}

// The fit's own findings: a chosen range that cuts the line's wings, a
// model that leaves structure, a fit that failed; no fit, none of them.
void TestMeasurementChecks::findingsOfTheFit()
{
    const TStored s(Lines({{0, 1}}), 2, 12);
    TFitResult fit;
    fit.Ok = true;
    fit.Model = TFitModel::Lorentz;
    fit.PpWidth = {6, 0.1};
    fit.Chi2Red = 12.5;
    fit.ResidualCorr = 0.93;
    TCheckInput in = s.Input(0.5, {});
    in.Fit = &fit;
    in.FitRange = std::pair{TStored::At(1.5).Left, TStored::At(1.5).Right};
    const auto cut = CheckMeasurements(in);
    QCOMPARE(Codes(cut), QStringList{"fit_range_cut"});
    QVERIFY(TextOf(cut, "fit_range_cut").contains("widen the range"));
    in.FitRange = std::pair{TStored::At(6).Left, TStored::At(6).Right};
    fit.Misfit = true;
    const auto misfit = CheckMeasurements(in);
    QCOMPARE(Codes(misfit), QStringList{"model_misfit"});
    QVERIFY(TextOf(misfit, "model_misfit").contains("12.5") && TextOf(misfit, "model_misfit").contains("this model only"));
    in.Fit = nullptr;
    QVERIFY(Codes(CheckMeasurements(in)).isEmpty());
}

void TestMeasurementChecks::degenerateInputs()
{
    // A flat spectrum: no line at all is low in signal; nothing else is
    // claimed, and nothing divides by zero.
    const TStored flat([](double) { return 0.0; }, 0, 1);
    QCOMPARE(Codes(CheckMeasurements(flat.Input(0.5, {TStored::At(5)}))), QStringList{"low_snr"});
    // Two points; a baseline shorter than the spectrum; cursors outside.
    const std::vector<double> x{-1, 1}, y{100, -100}, b{0, 0};
    for (const auto& w : CheckMeasurements(CheckInput(TLineView(x, y), b, 0.5, {{-3, 7}})))
        QVERIFY(!w.Text.contains("nan") && !w.Text.contains("inf"));
    QVERIFY(CheckMeasurements(CheckInput(TLineView(x, y), std::span<const double>(b).first(1), 0.5, {})).empty());
}

void TestMeasurementChecks::implausibleGIsNotShown()
{
    const TStored s(Lines({{0, 1}}), 2, 1);
    const struct {
        TGCheck G;
        const char* Text;   // the start of the finding; none for a plausible g
    } rows[] = {
        {{2.0036, 9.5e6, 3388}, nullptr},
        {{1.5, 9.5e6, 4525}, nullptr},
        {{0, 0, 3388}, "The frequency of the spectrum is 0: no g is shown"},
        {{9.4e5, 9.5e6, 0}, "B0 of the spectrum is 0: no g is shown"},
        {{4.3, 9.5e6, 1578}, "g = 4.3 lies outside 1.5 to 3"},
        {{INFINITY, 9.5e6, 5}, "The field at the line centre is 0"},   // B0 + x = 0
    };
    for (const auto& row : rows) {
        TCheckInput in = s.Input();
        in.G = row.G;
        const QString text = TextOf(CheckMeasurements(in), QStringLiteral("implausible_g"));
        QVERIFY2(row.Text ? text.startsWith(QLatin1String(row.Text)) : text.isEmpty(), qPrintable(text));
        QCOMPARE(PlausibleG(row.G), row.Text == nullptr);
    }
}

QTEST_GUILESS_MAIN(TestMeasurementChecks)
#include "test_MeasurementChecks.moc"
