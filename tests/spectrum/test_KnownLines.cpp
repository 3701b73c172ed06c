// Synthetic lines with known answers through the whole chain of a processed
// view: moments of a Gaussian, widths of a Lorentzian, the area of an
// absorption line, and the texts of the results.
#include "Baseline.h"
#include "Cp1252.h"
#include "Cursors.h"
#include "Integral.h"
#include "Moments.h"
#include "SyntheticLines.h"
#include "Views.h"
#include "Widths.h"

#include <QtTest>
#include <cmath>

namespace {
// The index nearest to x.
int IndexOf(const TSyntheticLine& line, double x)
{
    return int(std::lround((x - line.X[0]) / line.Step()));
}
} // namespace

class TestKnownLines : public QObject {
    Q_OBJECT
private slots:
    void gaussianSecondMomentInBothViews();
    void lorentzianWidths();
    void halfHeightCursorsOnASampledLine();
    void halfHeightFailures();
    void integralOfAKnownAbsorption();
    void resultTexts();
};

void TestKnownLines::gaussianSecondMomentInBothViews()
{
    // sigma = 3 Gs over 2048 points of 60 Gs, modulation 0.5 Gs.
    const double sigma = 3, p = 0.5;
    const TSyntheticLine line = SampleLine(2048, 60, GaussianDerivative(sigma, 300));
    const std::vector<double> base = BaselineValues(ComputeBaseline(line.Y), 2048);
    const std::vector<double> derivative = DerivativeView(line.View(), base);
    const TLineView derivativeView(line.X, derivative);
    const TIntegrator absorption = AbsorptionView(line.View(), base);
    const TLineView absorptionView(absorption.DestX, absorption.DestY);

    const int centre = FindLineCentre(line.View(), base);
    const int left = IndexOf(line, -4 * sigma), right = IndexOf(line, 4 * sigma);
    const double correction = p * p / 4;
    for (const auto& [kind, view] : {std::pair{TViewKind::Derivative, derivativeView},
                                     std::pair{TViewKind::Absorption, absorptionView}}) {
        const TMoments m = MeasureMoments(view, kind, left, centre, right, p);
        QVERIFY2(qAbs(m.M2 + correction - sigma * sigma) < 0.02 * sigma * sigma, qPrintable(QString::number(m.M2)));
        QVERIFY(qAbs(m.M2L - m.M2R) < 0.02 * sigma * sigma);
        // M4 of a Gaussian is 3 sigma^4; at +-4 sigma the tails cut a little off.
        QVERIFY2(qAbs(m.M4 - 3 * std::pow(sigma, 4)) < 0.05 * 3 * std::pow(sigma, 4), qPrintable(QString::number(m.M4)));
    }
}

void TestKnownLines::lorentzianWidths()
{
    const double gamma = 1.0;
    const TSyntheticLine line = SampleLine(1024, 40, LorentzianDerivative(gamma, 300));
    const std::vector<double> base = BaselineValues(ComputeBaseline(line.Y), 1024);
    const std::vector<double> derivative = DerivativeView(line.View(), base);

    TCursorState sdb;
    PlaceSDBCursors(sdb, line.View());
    const TWidth peakToPeak = MeasureWidth(TLineView(line.X, derivative), sdb.Positions[1], sdb.Positions[2], "Gs");
    QVERIFY2(qAbs(peakToPeak.Width - 2 * gamma / std::sqrt(3.0)) <= line.Step(), qPrintable(peakToPeak.Text));

    const TIntegrator absorption = AbsorptionView(line.View(), base);
    const TLineView absorptionView(absorption.DestX, absorption.DestY);
    const THalfHeight half = FindHalfHeight(absorptionView);
    QVERIFY(half.Found);
    QVERIFY(half.Error.isEmpty());
    const TWidth full = MeasureWidth(absorptionView, half.Left, half.Right, "Gs");
    // Within one point step, and the slight narrowing (about 0.01 Gs here)
    // from the Lorentzian tails that the sweep cuts off and the baseline takes.
    QVERIFY2(qAbs(full.Width - 2 * gamma) <= line.Step() + 0.015, qPrintable(full.Text));
}

void TestKnownLines::halfHeightCursorsOnASampledLine()
{
    // A symmetric line with points 40..60 above half height (50).
    std::vector<double> x(101), y(101);
    for (int i = 0; i <= 100; ++i) {
        x[size_t(i)] = i * 0.5;
        y[size_t(i)] = std::max(0.0, 100 - 4.9 * std::abs(i - 50));
    }
    THalfHeight half = FindHalfHeight(TLineView(x, y));
    QVERIFY(half.Found);
    QCOMPARE(half.Left, 40);
    QCOMPARE(half.Right, 61);
    QCOMPARE(MeasureWidth(TLineView(x, y), half.Left, half.Right, "Gs").Text, QStringLiteral(" 10.50 Gs"));
    // A dip, walked in from ends above half height: a point exactly at half
    // height is itself the right cursor, a point below it is one too far in.
    for (int i = 0; i <= 100; ++i)
        y[size_t(i)] = std::min(100.0, 4.9 * std::abs(i - 50));
    half = FindHalfHeight(TLineView(x, y));
    QCOMPARE(half.Left, 40);
    QCOMPARE(half.Right, 61);
    y[60] = 50;
    half = FindHalfHeight(TLineView(x, y));
    QCOMPARE(half.Right, 60);
}

void TestKnownLines::halfHeightFailures()
{
    std::vector<double> x(11), y{0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
    for (int i = 0; i <= 10; ++i)
        x[size_t(i)] = i;
    // A rising line crosses only once: no crossing from the right in order.
    THalfHeight half = FindHalfHeight(TLineView(x, y));
    QVERIFY(!half.Found);
    QCOMPARE(half.Error, QStringLiteral("Lack of ending value"));
    // Zoomed into the part above half height: no crossing from the left.
    half = FindHalfHeight(TLineView(x, y, 7, 10));
    QVERIFY(!half.Found);
    QCOMPARE(half.Error, QStringLiteral("Lack of begining value"));
    // Two or three points: defined answers, no read outside.
    const std::vector<double> x2{0, 1}, y2{0, 5};
    QCOMPARE(FindHalfHeight(TLineView(x2, y2)).Error, QStringLiteral("Lack of ending value"));
    // A one-point peak: both crossings land on it, which is not in order.
    const std::vector<double> x3{0, 1, 2}, y3{0, 5, 0};
    QCOMPARE(FindHalfHeight(TLineView(x3, y3)).Error, QStringLiteral("Lack of ending value"));
    const std::vector<double> x4{0, 1, 2, 3}, y4{0, 5, 5, 0};
    half = FindHalfHeight(TLineView(x4, y4));
    QVERIFY(half.Found);
    QCOMPARE(half.Left, 1);
    QCOMPARE(half.Right, 3);
}

void TestKnownLines::integralOfAKnownAbsorption()
{
    // A Gaussian absorption of area 250 (sigma 2): the area integrator's Sum
    // is 1000 x the area between cursors at +-6 sigma.
    const double sigma = 2, area = 250;
    const TSyntheticLine line = SampleLine(1000, 40, [&](double x) {
        return area / (sigma * std::sqrt(2 * M_PI)) * std::exp(-x * x / (2 * sigma * sigma));
    });
    TIntegrator integrator = AreaIntegrator(line.View(), -500, 500);
    const int first = IndexOf(line, -6 * sigma), last = IndexOf(line, 6 * sigma);
    const TIntegral result = MeasureIntegral(integrator, first, last, "Gs");
    QVERIFY2(qAbs(double(result.Sum) / 1000 - area) < 1e-3 * area, qPrintable(result.AIText));
    // The curve is scaled into the axis, four fifths of its top at most.
    QCOMPARE(integrator.DestY.size(), size_t(last - first + 1));
    QVERIFY(qAbs(integrator.DestY.back() - 400) < 1e-6);
    // The automatic integral cursors of the whole line cover the same area.
    TCursorState s;
    PlaceIntegralCursors(s, 1000);
    TIntegrator whole = AreaIntegrator(line.View(), -500, 500);
    QVERIFY(qAbs(double(MeasureIntegral(whole, s.Positions[1], s.Positions[2], "Gs").Sum) / 1000 - area) < 1e-3 * area);
}

void TestKnownLines::resultTexts()
{
    const std::vector<double> mx{0, 0.5, 1}, my{1, 2, 1};
    const TMoments m = MeasureMoments(TLineView(mx, my), TViewKind::Absorption, 0, 1, 2, 0.0L);
    // Each half: sum k^2 y / sum y = (2 + 4) / 3 = 2, times dX^2 = 0.25;
    // sum k^4 y / sum y = (2 + 16) / 3 = 6, times dX^4.
    QCOMPARE(m.M2, 0.5);
    QCOMPARE(m.M2Text, QStringLiteral("    0.500 Gs \u00B2"));
    QCOMPARE(m.M2LText, m.M2Text);
    QCOMPARE(ToCp1252(m.M2Text), QByteArray("    0.500 Gs \xB2"));  // the file form
    QCOMPARE(m.M4Text, QStringLiteral("    0.375 Gs"));

    // Integral readouts: AI grouped without decimals; LC and RC with a blank
    // before the unit; "+" only when positive.
    const std::vector<double> x{-12.5, 0, 12.5}, y{100, 100, 100};
    TIntegrator it = AreaIntegrator(TLineView(x, y), -1e9, 1e9);
    TIntegral r = MeasureIntegral(it, 0, 2, "Gs");
    QCOMPARE(r.AIText, QStringLiteral("2 500 000"));
    QCOMPARE(r.LCText, QStringLiteral("-12.50 Gs"));
    QCOMPARE(r.RCText, QStringLiteral("+12.50 Gs"));
    r = MeasureIntegral(it, 1, 2, "kHz");
    QCOMPARE(r.LCText, QStringLiteral("0.00 kHz"));
    QCOMPARE(r.RCText, QStringLiteral("+12.50 kHz"));
    QCOMPARE(SignedCursorText(12.5), QStringLiteral("+12.50"));
    QCOMPARE(MeasureWidth(TLineView(x, y), 0, 2, "kHz").Text, QStringLiteral(" 25.00 kHz"));
}

QTEST_GUILESS_MAIN(TestKnownLines)
#include "test_KnownLines.moc"
