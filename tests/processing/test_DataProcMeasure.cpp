// The processing window's cursors and measurements: the cursor protocol, the
// moments and the g-factor, "SDB", "HDB" and "Integral". The texts shown must
// be, digit for digit, those the processing library gives for the same
// cursors.

#include "Baseline.h"
#include "ChecksStrip.h"
#include "Cursors.h"
#include "DataProcRig.h"
#include "ElidedLabel.h"
#include "GFactor.h"
#include "Integral.h"
#include "MomentUncertainty.h"
#include "SpectrumNoise.h"
#include "Moments.h"
#include "NumFormat.h"
#include "Screenshot.h"
#include "SeriesExtremes.h"
#include "Views.h"
#include "Widths.h"

#include <QLabel>

namespace {

std::array<int, 3> Slots(const TMarker& m)
{
    return {m.Positions[1], m.Positions[2], m.Positions[3]};
}

} // namespace

class TestDataProcMeasure : public QObject {
    Q_OBJECT
private slots:
    void cursorProtocolExample();
    void rightCursorHeldChangesM2RAndM4Only();
    void absorptionMomentsEqualLibrary();
    void gFactorAtLineCentreFollowsMarker();
    void implausibleGIsNotShown();
    void sdbCursorsOnExtremesOfSpectrum();
    void hdbCursorsOnHalfHeightCrossings();
    void hdbFailureToldOnceCursorsStay();
    void integralCursorsAndCurve();
    void integralCursorTextsWithAndWithoutSign();
    void measurementButtonsOfAViewAreOneGroup();
};

void TestDataProcMeasure::cursorProtocolExample()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.LoadLine(LorentzDerivative(1024, 40), w.FDerivativeTB);
    rig.Click(w.M2DerivativeTB);
    QCOMPARE(w.CursorsTag, 3);
    QCOMPARE(int(w.DstMarker.PositionCount), 3);
    for (QToolButton* b : {w.M2LCTB, w.M2MCTB, w.M2RCTB})
        QVERIFY(b->isEnabled());
    // Put the cursors at 100, 300 (right) and 200 (centre) by moving each.
    for (const auto& [button, index] : {std::pair{w.M2LCTB, 100}, {w.M2RCTB, 300}, {w.M2MCTB, 200}}) {
        rig.Click(button);
        rig.MoveMarker(index);
        rig.Click(button);
    }
    QCOMPARE(Slots(w.DstMarker), (std::array<int, 3>{100, 300, 200}));
    QCOMPARE(int(w.DstMarker.EditedSlot), 0);

    rig.Click(w.M2LCTB);
    QCOMPARE(Slots(w.DstMarker), (std::array<int, 3>{200, 300, 200}));
    QCOMPARE(int(w.DstMarker.PositionCount), 2);
    QCOMPARE(int(w.DstMarker.EditedSlot), 1);
    QCOMPARE(w.DstMarker.Index, 100);
    rig.MoveMarker(120);
    rig.Click(w.M2LCTB);
    QCOMPARE(Slots(w.DstMarker), (std::array<int, 3>{120, 300, 200}));
    QCOMPARE(w.DstMarker.Index, 160);
    QCOMPARE(int(w.DstMarker.PositionCount), 3);
    // The buttons stay exclusive.
    rig.Click(w.M2RCTB);
    rig.Click(w.M2MCTB);
    QVERIFY(!w.M2RCTB->isChecked());
    QVERIFY(w.M2MCTB->isChecked());
    QCOMPARE(int(w.DstMarker.EditedSlot), 3);
}

void TestDataProcMeasure::rightCursorHeldChangesM2RAndM4Only()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.LoadLine(LorentzDerivative(1024, 40), w.FDerivativeTB);
    rig.Click(w.M2DerivativeTB);
    const auto shown = [&] {
        const TMoments m = MeasureMoments(Line(*w.Series2), TViewKind::Derivative, w.DstMarker.Positions[1],
                                          w.DstMarker.Positions[3], w.DstMarker.Positions[2], 0.025L);
        QCOMPARE(w.M2Val->text(), m.M2Text);
        QCOMPARE(w.M2LVal->text(), m.M2LText);
        QCOMPARE(w.M2RVal->text(), m.M2RText);
        QCOMPARE(w.M4Val->text(), m.M4Text + QChar(0x2074));
    };
    shown();
    QVERIFY(w.M2Val->text().endsWith(QStringLiteral(" Gs \u00b2")));
    QVERIFY(w.M4Val->text().endsWith(QStringLiteral(" Gs\u2074")));
    QVERIFY(!w.M2UVal->text().isEmpty());

    rig.Click(w.M2RCTB);
    const QString m2l = w.M2LVal->text(), m2r = w.M2RVal->text(), m4 = w.M4Val->text();
    const int right = w.DstMarker.Index;
    rig.MoveMarker(right - 150);
    QCOMPARE(w.M2LVal->text(), m2l);
    QVERIFY(w.M2RVal->text() != m2r);
    QVERIFY(w.M4Val->text() != m4);
    const TMoments live = MeasureMoments(Line(*w.Series2), TViewKind::Derivative, w.DstMarker.Positions[1],
                                         w.DstMarker.Positions[3], right - 150, 0.025L);
    QCOMPARE(w.M2RVal->text(), live.M2RText);
    QCOMPARE(w.M4Val->text(), live.M4Text + QChar(0x2074));
    QVERIFY(w.M2UVal->text().isEmpty());   // not worked out while a cursor moves
    // Released: the cursor stays where it was dragged and the texts stay the library's.
    rig.Click(w.M2RCTB);
    QCOMPARE(int(w.DstMarker.Positions[2]), right - 150);
    shown();
    QVERIFY(!w.M2UVal->text().isEmpty());
}

void TestDataProcMeasure::absorptionMomentsEqualLibrary()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    std::vector<int32_t> sums = LorentzDerivative(2048, 60, 300, 12);
    for (size_t i = 0; i < sums.size(); ++i)
        sums[i] += int32_t(i * 7919 % 7) - 3;   // noise for the uncertainties
    rig.LoadLine(sums, w.AbsorptionTB);
    rig.Click(w.M2AbsorptionTB);
    TCursorState expected;
    PlaceM2Cursors(expected, Line(*w.Series2), Line(*w.Series1), w.SeriesLine0->YValues());
    QCOMPARE(Slots(w.DstMarker),
             (std::array<int, 3>{expected.Positions[1], expected.Positions[2], expected.Positions[3]}));
    const TMoments m = MeasureMoments(Line(*w.Series2), TViewKind::Absorption, expected.Positions[1],
                                      expected.Positions[3], expected.Positions[2], 0.025L);
    QCOMPARE(w.M2Val->text(), m.M2Text);
    QCOMPARE(w.M4Val->text(), m.M4Text + QChar(0x2074));
    QVERIFY(!w.M2Val->text().trimmed().isEmpty());
    // The uncertainties from the noise at the ends of the spectrum, beside
    // the values and read with them.
    const int factor = AbsorptionFactor(Line(*w.Series1));
    const TMomentUncertainty u = MomentUncertainty(
        Line(*w.Series1), w.Series2->YValues(), TViewKind::Absorption, factor, expected.Positions[1],
        expected.Positions[3], expected.Positions[2], MeasureNoise(w.Series1->YValues(), w.SeriesLine0->YValues()));
    QVERIFY(u.M2 > 0);
    QCOMPARE(w.M2UVal->text(), Format(QStringLiteral("\u00b1 %.2n"), {u.M2}));
    QCOMPARE(w.M4UVal->text(), Format(QStringLiteral("\u00b1 %.2n"), {u.M4}));
    QCOMPARE(ValueDetail(w.M2Val), w.M2UVal->text() + QStringLiteral(" Gs\u00b2"));
    QCOMPARE(ValueDetail(w.M4Val), w.M4UVal->text() + QStringLiteral(" Gs\u2074"));
    // A new view starts without them.
    rig.Click(w.FDerivativeTB);
    QVERIFY(w.M2UVal->text().isEmpty());
    QVERIFY(ValueDetail(w.M2Val).isEmpty());
}

void TestDataProcMeasure::gFactorAtLineCentreFollowsMarker()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.Load(rig.Write(QStringLiteral("dpph.dcw"), EsrHeader(), LorentzDerivative(1000, 30, 300, -40)));
    rig.Click(w.FDerivativeTB);
    QVERIFY(w.GPanel->isVisible());
    QVERIFY(!w.M2Panel->isVisible());
    rig.Click(w.M2DerivativeTB);
    QCOMPARE(w.DstMarker.GetIndex(), FindLineCentre(Line(*w.Series1), w.SeriesLine0->YValues()));
    const auto expected = [&] {
        return MeasureGFactor(9500000.0L, 3390.0L, w.Series2->XValue(w.DstMarker.GetIndex())).Text;
    };
    QCOMPARE(w.GVal->text(), expected());
    for (QToolButton* b : {w.M2LCTB, w.M2MCTB, w.M2RCTB})
        QVERIFY(!b->isEnabled());
    rig.MoveMarker(w.DstMarker.GetIndex() + 200);
    QCOMPARE(w.GVal->text(), expected());
    // In the absorption view too.
    rig.Click(w.AbsorptionTB);
    rig.Click(w.M2AbsorptionTB);
    QCOMPARE(w.DstMarker.GetIndex(), FindLineCentre(Line(*w.Series1), w.SeriesLine0->YValues()));
    QCOMPARE(w.GVal->text(), expected());
}

// A frequency of 0 gives no g, and the checks strip says why.
void TestDataProcMeasure::implausibleGIsNotShown()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    TDataHeader h = EsrHeader();
    h.Frequency = QStringLiteral("0.0 kHz");
    rig.Load(rig.Write(QStringLiteral("nofrequency.dcw"), h, LorentzDerivative(1000, 30, 300, -40)));
    rig.Click(w.FDerivativeTB);
    rig.Click(w.M2DerivativeTB);
    QCOMPARE(w.GVal->text(), QString());
    QCOMPARE(w.ChecksStrip->Warnings().back().Code, QStringLiteral("implausible_g"));
    for (const QSize size : {QSize(800, 600), QSize(1024, 768), QSize(1600, 1000)}) {
        w.resize(size);
        rig.Draw();
        SaveScreenshot(w, QStringLiteral("DataProc-implausible-g-%1x%2").arg(size.width()).arg(size.height()));
    }
}

void TestDataProcMeasure::sdbCursorsOnExtremesOfSpectrum()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    // A line whose maximum lies left of its minimum: LC still on the smaller index.
    rig.Load(rig.Write(QStringLiteral("line.dcw"), NmrHeader(), LorentzDerivative(1024, 40)));
    QVERIFY(MaxYIndex(*w.Series1) < MinYIndex(*w.Series1));
    rig.Click(w.FDerivativeTB);
    rig.Click(w.SDBTB);
    QCOMPARE(int(w.DstMarker.Positions[1]), MaxYIndex(*w.Series1));
    QCOMPARE(int(w.DstMarker.Positions[2]), MinYIndex(*w.Series1));
    QCOMPARE(w.CursorsTag, 2);
    QCOMPARE(w.DBVal->text(), MeasureWidth(Line(*w.Series2), w.DstMarker.Positions[1], w.DstMarker.Positions[2],
                                           QStringLiteral("Gs")).Text);
    QVERIFY(w.M2LCTB->isEnabled());
    QVERIFY(w.M2RCTB->isEnabled());
    QVERIFY(!w.M2MCTB->isEnabled());
    // M2 switches SDB off and puts its own cursors.
    rig.Click(w.M2DerivativeTB);
    QVERIFY(!w.SDBTB->isChecked());
    QCOMPARE(w.CursorsTag, 3);
    QVERIFY(w.M2MCTB->isEnabled());
}

void TestDataProcMeasure::hdbCursorsOnHalfHeightCrossings()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.Load(rig.Write(QStringLiteral("triangle.dcw"), NmrHeader(), TriangleDerivative()));
    rig.Click(w.AbsorptionTB);
    rig.Click(w.HDBTB);
    QCOMPARE(int(w.DstMarker.Positions[1]), 40);
    QCOMPARE(int(w.DstMarker.Positions[2]), 61);
    QCOMPARE(w.DBVal->text(), QStringLiteral(" 21.00 Gs"));
    QCOMPARE(w.DBVal->text(), MeasureWidth(Line(*w.Series2), 40, 61, QStringLiteral("Gs")).Text);
    // With LC held the search is skipped and the width follows the dragged cursor.
    rig.Click(w.M2LCTB);
    rig.MoveMarker(45);
    QCOMPARE(w.DBVal->text(), QStringLiteral(" 16.00 Gs"));
    rig.Click(w.M2LCTB);
    // Released: the search puts it back on the crossing.
    QCOMPARE(int(w.DstMarker.Positions[1]), 40);
    QCOMPARE(w.DBVal->text(), QStringLiteral(" 21.00 Gs"));
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
}

// A single-lobed derivative gives a step for an absorption line: no right
// crossing after the left one. The message comes once, not at every repaint.
void TestDataProcMeasure::hdbFailureToldOnceCursorsStay()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    std::vector<int32_t> sums(101, 0);
    for (int i = 30; i <= 70; ++i)
        sums[size_t(i)] = 10;
    rig.Load(rig.Write(QStringLiteral("step.dcw"), NmrHeader(), sums));
    rig.Click(w.AbsorptionTB);
    const int top = MaxYIndex(*w.Series2);
    rig.Op.ExpectMessage(QStringLiteral("Lack of ending value"));
    rig.Click(w.HDBTB);
    for (int i = 0; i < 3; ++i)
        rig.Draw();
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
    QCOMPARE(rig.Op.Messages.size(), 1);
    QCOMPARE(int(w.DstMarker.Positions[1]), top);
    QCOMPARE(int(w.DstMarker.Positions[2]), top);
    QCOMPARE(w.DBVal->text(), QStringLiteral("  0.00 Gs"));
    // A changed view that still fails is told again.
    rig.Op.ExpectMessage(QStringLiteral("Lack of"));
    rig.Click(w.Line0UpTB);
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
}

void TestDataProcMeasure::integralCursorsAndCurve()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.LoadLine(LorentzDerivative(1000, 30, 300, 8), w.AbsorptionTB);
    rig.Click(w.IntegralTB);
    QCOMPARE(int(w.DstMarker.Positions[1]), 100);
    QCOMPARE(int(w.DstMarker.Positions[2]), 900);
    QCOMPARE(w.SeriesI->Count(), 801);
    TIntegrator area = AreaIntegrator(Line(*w.Series2), -500, 500);
    const TIntegral expected = MeasureIntegral(area, 100, 900, QStringLiteral("Gs"));
    QCOMPARE(w.AIVal->text(), expected.AIText);
    QCOMPARE(w.ILBVal->text(), expected.LCText);
    QCOMPARE(w.ILEVal->text(), expected.RCText);
    QCOMPARE(rig.Ys(*w.SeriesI), area.DestY);
    // RC dragged: the area follows.
    rig.Click(w.M2RCTB);
    rig.MoveMarker(600);
    const TIntegral dragged = MeasureIntegral(area, 100, 600, QStringLiteral("Gs"));
    QCOMPARE(w.AIVal->text(), dragged.AIText);
    QCOMPARE(w.SeriesI->Count(), 501);
    // Switched off: the curve goes.
    rig.Click(w.HDBTB);
    QVERIFY(!w.IntegralTB->isChecked());
    QCOMPARE(w.SeriesI->Count(), 0);
}

void TestDataProcMeasure::integralCursorTextsWithAndWithoutSign()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    TDataHeader h = NmrHeader();
    h.SweepR = 1000;   // 1001 points, 1 Gs apart, x = i - 500
    rig.Load(rig.Write(QStringLiteral("wide.dcw"), h, LorentzDerivative(1001, 40)));
    rig.Click(w.AbsorptionTB);
    rig.Click(w.IntegralTB);
    QCOMPARE(w.ILBVal->text(), QStringLiteral("-400.00 Gs"));
    QCOMPARE(w.ILEVal->text(), QStringLiteral("+401.00 Gs"));
    rig.Click(w.M2LCTB);
    rig.MoveMarker(500);
    rig.Click(w.M2LCTB);
    QCOMPARE(w.ILBVal->text(), QStringLiteral("0.00 Gs"));
    rig.Click(w.M2LCTB);
    rig.MoveMarker(512);
    QCOMPARE(w.ILBVal->text(), QStringLiteral("+12.00 Gs"));
}

// Within a view's row at most one measurement is on; "M2" of the derivative
// view may go up by itself, the others stay down until another is pressed.
void TestDataProcMeasure::measurementButtonsOfAViewAreOneGroup()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.LoadLine(LorentzDerivative(1024, 40), w.FDerivativeTB);
    rig.Click(w.M2DerivativeTB);
    rig.Click(w.M2DerivativeTB);
    QVERIFY(!w.M2DerivativeTB->isChecked());
    QCOMPARE(int(w.DstMarker.PositionCount), 0);
    QVERIFY(!w.M2LCTB->isEnabled());
    rig.Click(w.SDBTB);
    rig.Click(w.SDBTB);
    QVERIFY(w.SDBTB->isChecked());
    rig.Click(w.AbsorptionTB);
    rig.Click(w.HDBTB);
    rig.Click(w.IntegralTB);
    QVERIFY(!w.HDBTB->isChecked());
    rig.Click(w.IntegralTB);
    QVERIFY(w.IntegralTB->isChecked());
}

QTEST_MAIN(TestDataProcMeasure)
#include "test_DataProcMeasure.moc"
