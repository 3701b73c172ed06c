// The fit's results as the window's panel and the picture's caption show
// them: each value to the digits its uncertainty supports, only the values
// the model has, and a failed fit as its reason.
#include "FitResultText.h"

#include <QRegularExpression>
#include <QtTest>
#include <limits>

class TestFitResultText : public QObject {
    Q_OBJECT
private slots:
    void digitsFollowTheUncertainty();
    void linesOfASingleLineAndOfAMultiplet();
    void failedFitIsItsReason();
};

void TestFitResultText::digitsFollowTheUncertainty()
{
    QCOMPARE(ValueWithUncertainty({1.23456, 0.0123}), QStringLiteral("1.235 \u00b1 0.012"));
    QCOMPARE(ValueWithUncertainty({2.003612, 0.00048}), QStringLiteral("2.00361 \u00b1 0.00048"));
    QCOMPARE(ValueWithUncertainty({12345.6, 87}), QStringLiteral("12346 \u00b1 87"));
    QCOMPARE(ValueWithUncertainty({0.5, 0.15}), QStringLiteral("0.50 \u00b1 0.15"));
    // No uncertainty: six significant digits, rounding noise as 0; no
    // number: a dash, never "nan".
    QCOMPARE(ValueWithUncertainty({2.0022412, 0}), QStringLiteral("2.00224"));
    QCOMPARE(ValueWithUncertainty({-2.029e-14, 0}), QStringLiteral("0"));
    QCOMPARE(ValueWithUncertainty({std::numeric_limits<double>::quiet_NaN(), 1}), QStringLiteral("\u2013"));
    QCOMPARE(ValueWithUncertainty({1.5, std::numeric_limits<double>::infinity()}), QStringLiteral("1.5"));
}

void TestFitResultText::linesOfASingleLineAndOfAMultiplet()
{
    TFitResult gauss;
    gauss.Ok = true;
    gauss.Model = TFitModel::Gauss;
    gauss.Centre = {0.1, 0.01};
    gauss.PpWidth = {6.32, 0.02};
    gauss.Width = {3.16, 0.01};
    gauss.M2 = TFitValue{10.0, 0.06};
    gauss.Area = {1000, 10};
    gauss.Chi2Red = 1.04;
    const QStringList lines = FitResultLines(gauss, QStringLiteral("Gs"));
    QCOMPARE(lines.first(), QStringLiteral("Fit: gauss"));
    QVERIFY(lines.contains(QStringLiteral("\u03c3 = 3.160 \u00b1 0.010 Gs")));
    QVERIFY(lines.contains(QStringLiteral("M2 = 10.000 \u00b1 0.060 Gs\u00b2")));
    QVERIFY(lines.contains(QStringLiteral("\u03c7\u00b2 red = 1.04")));
    QVERIFY(!lines.join('\n').contains(QStringLiteral("\u03b7")));   // no eta, g or a for this fit
    QVERIFY(!lines.join('\n').contains(QStringLiteral("g =")));

    TFitResult triplet = gauss;
    triplet.Model = TFitModel::Lorentz;
    triplet.M2.reset();
    triplet.A = {TFitValue{15.2, 0.05}};
    triplet.G = TFitValue{2.0058, 0.0002};
    triplet.GUFit = 0.00019;
    triplet.GUField = 0.00006;
    const QStringList t = FitResultLines(triplet, QStringLiteral("Gs"), {{1, 1}});
    QCOMPARE(t.first(), QStringLiteral("Fit: lorentz, 1 nucleus of spin 1"));
    QVERIFY(t.contains(QStringLiteral("Half width = 3.160 \u00b1 0.010 Gs")));
    QVERIFY(t.contains(QStringLiteral("a = 15.200 \u00b1 0.050 Gs")));
    QVERIFY(t.contains(QStringLiteral("g = 2.00580 \u00b1 0.00020")));
    QVERIFY(GUncertaintyText(triplet).endsWith(QStringLiteral("the fit dominates.")));
    // Several groups: a coupling each, in the order given; clipped points left out are told.
    TFitResult wurster = triplet;
    wurster.Model = TFitModel::Voigt;
    wurster.Eta = TFitValue{0.72, 0.02};
    wurster.A = {TFitValue{7.07, 0.01}, TFitValue{6.92, 0.01}, TFitValue{1.96, 0.01}};
    wurster.LeftOut = 3;
    wurster.GUField = 0.0003;
    const QStringList w = FitResultLines(wurster, QStringLiteral("Gs"), {{2, 1}, {12, 0.5}, {4, 0.5}});
    QCOMPARE(w.first(), QStringLiteral("Fit: pseudo-Voigt, 2 nuclei of spin 1; 12 nuclei of spin 1/2; 4 nuclei of spin 1/2"));
    QVERIFY(w.contains(QStringLiteral("a2 = 6.920 \u00b1 0.010 Gs")));
    QVERIFY(w.filter(QRegularExpression(QStringLiteral("^a = "))).isEmpty());
    QCOMPARE(w.last(), QStringLiteral("Left out: 3 clipped points"));
    QVERIFY(GUncertaintyText(wurster).contains(QStringLiteral("the stored texts' resolution dominates")));
    QVERIFY(GUncertaintyText(gauss).isEmpty());
}

void TestFitResultText::failedFitIsItsReason()
{
    TFitResult failed;
    failed.Failure = QStringLiteral("fewer points than parameters");
    QCOMPARE(FitResultLines(failed, QStringLiteral("Gs")), QStringList{"Fit failed: fewer points than parameters"});
}

QTEST_GUILESS_MAIN(TestFitResultText)
#include "test_FitResultText.moc"
