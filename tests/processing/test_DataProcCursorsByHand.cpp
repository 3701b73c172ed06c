// Moving the cursors and the marker of the lower chart by hand: dragging a
// cursor line, the keys of the focused chart, the double click, and the
// marker staying where the operator put it while "HDB" moves its cursors.

#include "Cursors.h"
#include "DataProcRig.h"
#include "StatusBar.h"
#include "Moments.h"
#include "Widths.h"

#include <QLabel>

namespace {

// The readout's abscissa part (" B: 12.00 Gs"), without the value.
QString ReadoutX(const QLabel& readout)
{
    return readout.text().section(QChar(0x2022), 0, 0);
}

} // namespace

class TestDataProcCursorsByHand : public QObject {
    Q_OBJECT
private slots:
    void cursorLineDraggedMovesItsCursor();
    void keysMoveTheSelectedCursorOrTheMarker();
    void doubleClickTakesTheMarkerToThePoint();
    void hdbKeepsTheMarkerWhereTheOperatorLeftIt();
    void cursorButtonsSayWhatTheyBound();
    void cursorsKeepTheirOrder();
};

// M2 on the derivative: dragging the red line of each cursor moves that
// cursor (the measurements follow as with its button), leaves every button
// up and the marker where it stood.
void TestDataProcCursorsByHand::cursorLineDraggedMovesItsCursor()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.LoadLine(LorentzDerivative(1000, 30, 300, 8), w.FDerivativeTB);
    rig.Click(w.M2DerivativeTB);
    const int markerAt = w.DstMarker.Index;
    const int lc = w.DstMarker.Positions[1], rc = w.DstMarker.Positions[2], mc = w.DstMarker.Positions[3];
    TChart& chart = *w.DDst;

    // Halfway towards the centre: the cursors stay in order.
    const int rcTarget = rc - (rc - mc) / 2;
    ChartDrag(chart, w.Series2->CalcXPos(rc), w.Series2->CalcXPos(rcTarget));
    rig.Draw();
    const int newRc = w.DstMarker.Positions[2];
    QVERIFY2(std::abs(newRc - rcTarget) <= 2, qPrintable(QString::number(newRc)));
    QCOMPARE(int(w.DstMarker.Positions[1]), lc);
    QCOMPARE(int(w.DstMarker.Positions[3]), mc);
    QCOMPARE(w.DstMarker.PositionCount, uint8_t(3));
    QCOMPARE(w.DstMarker.Index, markerAt);
    for (QToolButton* b : {w.M2LCTB, w.M2MCTB, w.M2RCTB})
        QVERIFY(!b->isChecked());
    const TMoments m = MeasureMoments(Line(*w.Series2), TViewKind::Derivative, lc, mc, newRc, 0.025L);
    QCOMPARE(w.M2RVal->text(), m.M2RText);
    QCOMPARE(w.M2LVal->text(), m.M2LText);

    // The centre line, and the left one while "LC" is held: its slot then
    // shows the centre, which is what a drag there moves.
    const int mcTarget = mc + (newRc - mc) / 2;
    ChartDrag(chart, w.Series2->CalcXPos(mc), w.Series2->CalcXPos(mcTarget));
    rig.Draw();
    const int newMc = w.DstMarker.Positions[3];
    QVERIFY(std::abs(newMc - mcTarget) <= 2);
    rig.Click(w.M2LCTB);
    QCOMPARE(int(w.DstMarker.Positions[1]), newMc);
    ChartDrag(chart, w.Series2->CalcXPos(newMc), w.Series2->CalcXPos(newMc - 30));
    rig.Draw();
    QVERIFY(std::abs(w.DstMarker.Positions[3] - (newMc - 30)) <= 2);
    QCOMPARE(int(w.DstMarker.Positions[2]), newRc);
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
}

// Clicked, the lower chart has the keys: Left/Right move the marker, or the
// cursor whose button is down, by one point, Shift by ten; the values follow.
void TestDataProcCursorsByHand::keysMoveTheSelectedCursorOrTheMarker()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.Load(rig.Write(QStringLiteral("triangle.dcw"), NmrHeader(), TriangleDerivative()));
    rig.Click(w.AbsorptionTB);
    rig.Click(w.IntegralTB);
    // The keys reach the chart through the plot that has the focus.
    QWidget* plot = w.DDst->Plot();
    const int start = w.DstMarker.Index;
    QTest::keyClick(plot, Qt::Key_Right);
    QCOMPARE(w.DstMarker.Index, start + 1);
    QTest::keyClick(plot, Qt::Key_Left, Qt::ShiftModifier);
    QCOMPARE(w.DstMarker.Index, start - 9);

    // "RC" down: the marker is the right cursor, the keys move it, and the
    // integral follows.
    const int rc = w.DstMarker.Positions[2];
    rig.Click(w.M2RCTB);
    QCOMPARE(w.DstMarker.Index, rc);
    QTest::keyClick(plot, Qt::Key_Left, Qt::ShiftModifier);
    rig.Draw();
    QCOMPARE(w.DstMarker.GetIndex(), rc - 10);
    QCOMPARE(w.ILEVal->text().trimmed(), QStringLiteral("+%1 Gs").arg(double(rc - 10 - 50), 0, 'f', 2));
    rig.Click(w.M2RCTB);
    QCOMPARE(int(w.DstMarker.Positions[2]), rc - 10);
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
}

// A single click beside the marker steps it one point; a double click takes
// it to the point under the mouse, and its readout with it.
void TestDataProcCursorsByHand::doubleClickTakesTheMarkerToThePoint()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.LoadLine(LorentzDerivative(101, 10), w.FDerivativeTB);
    rig.MoveMarker(50);
    const int y = w.DDst->ChartRect().center().y();
    const QPoint at(w.Series2->CalcXPos(75), y);
    ChartClick(*w.DDst, at);
    rig.Draw();
    QCOMPARE(w.DstMarker.Index, 51);
    QTest::mouseDClick(w.DDst->Plot(), Qt::LeftButton, {}, at);
    rig.Draw();
    QCOMPARE(w.DstMarker.Index, 75);
    QVERIFY(w.DstXYST->text().startsWith(QStringLiteral(" B: 25.00 Gs")));
}

// With "HDB" on, a baseline step that moves the half-height crossings moves
// the cursors only: the marker the operator dragged stays, and its readout
// shows the same point.
void TestDataProcCursorsByHand::hdbKeepsTheMarkerWhereTheOperatorLeftIt()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.LoadLine(LorentzDerivative(1000, 30, 300, 8), w.AbsorptionTB);
    rig.Click(w.HDBTB);
    const int left = w.DstMarker.Positions[1], right = w.DstMarker.Positions[2];
    rig.DragMarker(300);
    QCOMPARE(w.DstMarker.Index, 300);
    const QString x = ReadoutX(*w.DstXYST);
    QVERIFY2(x.contains(QStringLiteral("-19.97")), qPrintable(x));   // point 300 of 1000 over 100 Gs

    for (int i = 0; i < 20 && w.DstMarker.Positions[1] == left && w.DstMarker.Positions[2] == right; ++i)
        rig.Click(w.Line0RightTB);
    QVERIFY2(w.DstMarker.Positions[1] != left || w.DstMarker.Positions[2] != right, "the crossings never moved");
    QCOMPARE(w.DstMarker.Index, 300);
    QCOMPARE(w.DstMarker.GetIndex(), 300);
    QCOMPARE(ReadoutX(*w.DstXYST), x);
    // The width is that of the new crossings.
    QCOMPARE(w.DBVal->text(), MeasureWidth(Line(*w.Series2), w.DstMarker.Positions[1], w.DstMarker.Positions[2],
                                           QStringLiteral("Gs")).Text);
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
}

void TestDataProcCursorsByHand::cursorButtonsSayWhatTheyBound()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    QVERIFY(w.M2LCTB->toolTip().contains(QStringLiteral("left end")));
    QVERIFY(w.M2MCTB->toolTip().contains(QStringLiteral("centre")));
    QVERIFY(w.M2RCTB->toolTip().contains(QStringLiteral("right end")));
    for (QToolButton* b : {w.M2LCTB, w.M2MCTB, w.M2RCTB})
        QVERIFY(b->toolTip().contains(QStringLiteral("Drag its red line")));
    QCOMPARE(w.M2LCTB->accessibleName(), QStringLiteral("LC"));
}

// A cursor taken up with its button has the keys at once (no click on the
// chart, which would step it), and stops at its neighbour however it is
// moved: the cursors keep the order LC <= MC <= RC. The status line says
// so while the cursor is taken up. A width cursor moved off the extremes
// is no longer "SDB", and its caption says so.
void TestDataProcCursorsByHand::cursorsKeepTheirOrder()
{
    TDataProcRig rig;
    TFDataProc& w = rig.W;
    rig.LoadLine(LorentzDerivative(1000, 30, 300, 8), w.FDerivativeTB);
    const struct {
        QToolButton* Measurement;
        QToolButton* Cursor;
        int Key;            // a key, or 0 for a drag far past the neighbour
        int NeighbourSlot;  // where the neighbour stands before the cursor is taken up
        const char* Told;
    } cases[] = {{w.SDBTB, w.M2LCTB, Qt::Key_End, 2, "LC stops at RC"},
                 {w.SDBTB, w.M2RCTB, 0, 1, "RC stops at LC"},
                 {w.M2DerivativeTB, w.M2LCTB, 0, 3, "LC stops at MC"},
                 {w.M2DerivativeTB, w.M2RCTB, Qt::Key_Home, 3, "RC stops at MC"},
                 {w.M2DerivativeTB, w.M2MCTB, Qt::Key_End, 2, "MC stops at RC"}};
    for (const auto& c : cases) {
        const QString step = c.Measurement->text() + QLatin1Char(' ') + c.Cursor->text();
        rig.Click(w.FDerivativeTB);   // the view anew, the measurement's own cursors
        rig.Click(w.FDerivativeTB);
        rig.Click(c.Measurement);
        const int neighbour = w.DstMarker.Positions[c.NeighbourSlot];
        rig.Click(c.Cursor);
        QVERIFY2(w.focusWidget() == w.DDst, qPrintable(step));
        if (c.Key != 0)
            QTest::keyClick(w.focusWidget(), Qt::Key(c.Key));
        else
            rig.DragMarker(neighbour + (neighbour > w.DstMarker.Index ? 200 : -200));
        rig.Draw();
        QVERIFY2(w.DstMarker.GetIndex() == neighbour, qPrintable(step));
        QVERIFY2(w.StatusBar->PanelText(1).startsWith(QLatin1String(c.Told)), qPrintable(w.StatusBar->PanelText(1)));
        rig.Click(c.Cursor);
        QVERIFY2(w.StatusBar->PanelText(1).isEmpty(), qPrintable(step));
        QVERIFY2(w.DstMarker.Positions[1] <= w.DstMarker.Positions[2], qPrintable(step));
        if (c.Measurement == w.M2DerivativeTB)
            QVERIFY2(w.DstMarker.Positions[1] <= w.DstMarker.Positions[3] &&
                         w.DstMarker.Positions[3] <= w.DstMarker.Positions[2], qPrintable(step));
        else
            QCOMPARE(w.DHLabel->text(), QStringLiteral("LC\u2013RC ="));
    }
    // Back on the extremes, the width is the SDB again, by that name.
    rig.Click(w.FDerivativeTB);
    rig.Click(w.FDerivativeTB);
    rig.Click(w.SDBTB);
    QCOMPARE(w.DHLabel->text(), QStringLiteral("SDB ="));
    QCOMPARE(w.DBVal->accessibleName(), QStringLiteral("SDB"));
    QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
}

QTEST_MAIN(TestDataProcCursorsByHand)
#include "test_DataProcCursorsByHand.moc"
