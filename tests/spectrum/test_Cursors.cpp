// The cursor slots and their protocol, the automatic placements, the line
// centre and the g-factor.
#include "Baseline.h"
#include "Cursors.h"
#include "GFactor.h"
#include "Moments.h"
#include "SyntheticLines.h"
#include "Views.h"

#include <QtTest>

class TestCursors : public QObject {
    Q_OBJECT
private slots:
    void movingACursorKeepsTheOthersFixed();
    void movingTheCentreAndReleasingEverything();
    void measuredCursorsFollowTheMovedOne();
    void fixedLinesNameTheirCursors();
    void movedCursorStaysBetweenItsNeighbours();
    void m2CursorsAtTheThresholdOrTheDrawnEnds();
    void lineCentre();
    void widthAndIntegralPlacements();
    void gFactor();
};

void TestCursors::movingACursorKeepsTheOthersFixed()
{
    TCursorState s;
    s.Positions = {0, 100, 300, 200};  // LC 100, RC 300, MC 200
    s.K = 3;
    s.PositionCount = 3;
    s.Index = 150;
    SelectCursor(s, TCursorButton::LC, true);
    QCOMPARE(s.EditedSlot, 1);
    QCOMPARE(s.Index, 100);
    QCOMPARE(s.PositionCount, 2);
    QCOMPARE(s.Positions[1], uint16_t(200));  // slot 3 stands in for the moved one
    QCOMPARE(s.Positions[2], uint16_t(300));
    QCOMPARE(s.Down, TCursorButton::LC);
    // Released with the marker at 120.
    s.Index = 120;
    SelectCursor(s, TCursorButton::LC, false);
    QCOMPARE(s.Positions[1], uint16_t(120));
    QCOMPARE(s.Positions[2], uint16_t(300));
    QCOMPARE(s.Positions[3], uint16_t(200));
    QCOMPARE(s.EditedSlot, 0);
    QCOMPARE(s.PositionCount, 3);
    QCOMPARE(s.Index, 160);  // 120 + (200 - 120) div 2
    QCOMPARE(s.Down, TCursorButton::None);
}

void TestCursors::movingTheCentreAndReleasingEverything()
{
    TCursorState s;
    s.Positions = {0, 10, 50, 30};
    s.K = 3;
    SelectCursor(s, TCursorButton::MC, true);
    QCOMPARE(s.EditedSlot, 3);
    QCOMPARE(s.Index, 30);
    QCOMPARE(s.PositionCount, 2);
    QCOMPARE(s.Positions[1], uint16_t(10));
    // Pressing "RC" while "MC" is down: the centre goes back to its slot at the marker.
    s.Index = 33;
    SelectCursor(s, TCursorButton::RC, true);
    QCOMPARE(s.Positions[3], uint16_t(33));
    QCOMPARE(s.EditedSlot, 2);
    QCOMPARE(s.Index, 50);
    QCOMPARE(s.Positions[2], uint16_t(33));
    QCOMPARE(s.Down, TCursorButton::RC);
    // A measurement switching off releases every cursor (sender none of the three).
    s.Index = 45;
    SelectCursor(s, TCursorButton::None, false);
    QCOMPARE(s.Positions[2], uint16_t(45));
    QCOMPARE(s.EditedSlot, 0);
    QCOMPARE(s.Down, TCursorButton::None);
    // With K = 3 the marker rests between slot 1 and slot 3, rounded toward zero.
    QCOMPARE(s.Index, 10 + (33 - 10) / 2);
    // Two cursors in use: between slot 1 and 2; a leftward pair rounds toward zero too.
    s.K = 2;
    s.Positions[1] = 40;
    s.Positions[2] = 7;
    SelectCursor(s, TCursorButton::None, false);
    QCOMPARE(s.Index, 40 + (7 - 40) / 2);
    QCOMPARE(s.Index, 24);
}

// A line dragged by hand must move the cursor it shows, also while another
// cursor is moved and the slot K cursor stands in the moved one's slot.
void TestCursors::fixedLinesNameTheirCursors()
{
    TCursorState s;
    s.Positions = {0, 100, 300, 200};
    s.K = 3;
    s.PositionCount = 3;
    QCOMPARE(CursorOfLine(s, 1), 1);
    QCOMPARE(CursorOfLine(s, 2), 2);
    QCOMPARE(CursorOfLine(s, 3), 3);
    QCOMPARE(CursorOfLine(s, 0), 0);
    QCOMPARE(CursorOfLine(s, 4), 0);
    SelectCursor(s, TCursorButton::LC, true);   // line 1 now shows MC at 200
    QCOMPARE(s.Positions[1], uint16_t(200));
    QCOMPARE(CursorOfLine(s, 1), 3);
    QCOMPARE(CursorOfLine(s, 2), 2);
    QCOMPARE(CursorOfLine(s, 3), 0);          // not drawn while LC moves
    SelectCursor(s, TCursorButton::MC, true);
    QCOMPARE(CursorOfLine(s, 1), 1);
    QCOMPARE(CursorOfLine(s, 2), 2);
    // Two cursors: with LC moved, its slot shows RC.
    s.K = 2;
    SelectCursor(s, TCursorButton::None, false);
    SelectCursor(s, TCursorButton::LC, true);
    QCOMPARE(s.PositionCount, 1);
    QCOMPARE(CursorOfLine(s, 1), 2);
    QCOMPARE(ButtonOfSlot(CursorOfLine(s, 1)), TCursorButton::RC);
    QCOMPARE(ButtonOfSlot(3), TCursorButton::MC);
    QCOMPARE(ButtonOfSlot(0), TCursorButton::None);
}

// With no cursor taken up, the whole view; fixed cursors found out of order
// (an automatic placement on an odd line) bound the moved one whichever way
// round they stand. (The ordinary cases: the window's cursor test.)
void TestCursors::movedCursorStaysBetweenItsNeighbours()
{
    TCursorState s;
    s.Positions = {0, 300, 100, 200};   // LC right of RC
    s.K = 3;
    s.PositionCount = 3;
    TCursorRange r = MovedCursorRange(s, 0, 999);
    QCOMPARE(std::pair(r.Low, r.High), std::pair(0, 999));
    SelectCursor(s, TCursorButton::MC, true);
    r = MovedCursorRange(s, 0, 999);
    QCOMPARE(std::pair(r.Low, r.High), std::pair(100, 300));
    QVERIFY(r.LowCursor == TCursorButton::RC && r.HighCursor == TCursorButton::LC);
}

void TestCursors::measuredCursorsFollowTheMovedOne()
{
    // With "RC" down, dragging the marker changes M2R (and M4) while M2L stays.
    const TSyntheticLine line = SampleLine(201, 20, GaussianDerivative(1.5, 200));
    TCursorState s;
    s.Positions = {0, 40, 160, 100};
    s.K = 3;
    SelectCursor(s, TCursorButton::RC, true);
    const TCursorIndexes at150 = MeasuredCursors(s, 150), at130 = MeasuredCursors(s, 130);
    QCOMPARE(at150.Left, 40);
    QCOMPARE(at150.Centre, 100);
    QCOMPARE(at150.Right, 150);
    const TMoments a = MeasureMoments(line.View(), TViewKind::Derivative, at150.Left, at150.Centre, at150.Right, 0.0L);
    const TMoments b = MeasureMoments(line.View(), TViewKind::Derivative, at130.Left, at130.Centre, at130.Right, 0.0L);
    QCOMPARE(a.M2L, b.M2L);
    QVERIFY(a.M2R != b.M2R);
    QVERIFY(a.M4 != b.M4);
    // No cursor moving: the slots as they are.
    SelectCursor(s, TCursorButton::RC, false);
    const TCursorIndexes fixed = MeasuredCursors(s, 77);
    QCOMPARE(fixed.Right, int(s.Positions[2]));
    QCOMPARE(fixed.Left, 40);
}

void TestCursors::m2CursorsAtTheThresholdOrTheDrawnEnds()
{
    std::vector<double> x(10), y{0, 5, 25, 30, 0, -19, -30, -20, 3, 1};
    for (int i = 0; i < 10; ++i)
        x[size_t(i)] = i;
    const std::vector<double> base(10, 0.0);
    TCursorState s;
    PlaceM2Cursors(s, TLineView(x, y), TLineView(x, y), base);
    QCOMPARE(s.Positions[1], uint16_t(2));   // first |y| >= 20
    QCOMPARE(s.Positions[2], uint16_t(7));   // -20 reaches 20 too
    QCOMPARE(s.Positions[3], uint16_t(4));   // the zero between the maximum (3) and the minimum (6)
    QCOMPARE(s.K, 3);
    QCOMPARE(s.PositionCount, 3);
    QCOMPARE(s.Index, 4 + (2 - 4) / 2);
    // Over a drawn part only.
    PlaceM2Cursors(s, TLineView(x, y, 3, 6), TLineView(x, y), base);
    QCOMPARE(s.Positions[1], uint16_t(3));
    QCOMPARE(s.Positions[2], uint16_t(6));
    // Nothing reaches 20 before the last drawn point: the drawn ends.
    const std::vector<double> small{0, 5, -5, 0, 25, 0, 0, 0, 0, 0};
    PlaceM2Cursors(s, TLineView(x, small, 0, 4), TLineView(x, small), base);
    QCOMPARE(s.Positions[1], uint16_t(0));
    QCOMPARE(s.Positions[2], uint16_t(4));
    // A zoom between two points draws none: every point counts.
    PlaceM2Cursors(s, TLineView(x, y, -1, -1), TLineView(x, y), base);
    QCOMPARE(s.Positions[1], uint16_t(2));
    QCOMPARE(s.Positions[2], uint16_t(7));
    // Two points.
    const std::vector<double> x2{0, 1}, y2{1, -1}, base2{0, 0};
    PlaceM2Cursors(s, TLineView(x2, y2), TLineView(x2, y2), base2);
    QCOMPARE(s.Positions[1], uint16_t(0));
    QCOMPARE(s.Positions[2], uint16_t(1));
    QCOMPARE(s.Positions[3], uint16_t(1));  // the minimum's side, the maximum excluded
}

void TestCursors::lineCentre()
{
    const TSyntheticLine line = SampleLine(101, 10, GaussianDerivative(1, 300));
    const std::vector<double> base(101, 0.0);
    QCOMPARE(FindLineCentre(line.View(), base), 50);
    // The baseline counts: shifted by 40, the spectrum's zero moves with it.
    TSyntheticLine raised = line;
    for (double& y : raised.Y)
        y += 40;
    QCOMPARE(FindLineCentre(raised.View(), std::vector<double>(101, 40.0)), 50);
    // Minimum and maximum share an index (a flat line): count div 2.
    const std::vector<double> flat(7, 5.0), x{0, 1, 2, 3, 4, 5, 6};
    QCOMPARE(FindLineCentre(TLineView(x, flat), flat), 3);
    // Ties: the first from the minimum's side; the maximum itself excluded.
    const std::vector<double> tie{0, 9, 1, -1, -9, 0, 0};
    QCOMPARE(FindLineCentre(TLineView(x, tie), std::vector<double>(7, 0.0)), 3);
}

void TestCursors::widthAndIntegralPlacements()
{
    std::vector<double> x(1000), y(1000, 0.0);
    for (int i = 0; i < 1000; ++i)
        x[size_t(i)] = i;
    y[700] = 90;   // maximum right of the minimum
    y[300] = -90;
    TCursorState s;
    PlaceSDBCursors(s, TLineView(x, y));
    QCOMPARE(s.Positions[1], uint16_t(300));
    QCOMPARE(s.Positions[2], uint16_t(700));
    std::swap(y[700], y[300]);
    PlaceSDBCursors(s, TLineView(x, y));
    QCOMPARE(s.Positions[1], uint16_t(300));  // still the smaller index in slot 1
    QCOMPARE(s.Positions[2], uint16_t(700));
    QCOMPARE(s.K, 2);

    PlaceHDBCursors(s, TLineView(x, y));
    QCOMPARE(s.Positions[1], uint16_t(300));
    QCOMPARE(s.Positions[2], uint16_t(300));
    QCOMPARE(s.Index, 300);

    PlaceIntegralCursors(s, 1000);
    QCOMPARE(s.Positions[1], uint16_t(100));
    QCOMPARE(s.Positions[2], uint16_t(900));
    QCOMPARE(s.K, 2);
    QCOMPARE(s.PositionCount, 2);
    // Fewer than ten points: the right cursor stays on the last point.
    PlaceIntegralCursors(s, 7);
    QCOMPARE(s.Positions[1], uint16_t(0));
    QCOMPARE(s.Positions[2], uint16_t(6));
    PlaceIntegralCursors(s, 10);
    QCOMPARE(s.Positions[2], uint16_t(9));
}

void TestCursors::gFactor()
{
    const TGFactor g = MeasureGFactor(9500000, 3390, 0);
    QVERIFY(qAbs(g.G - 0.07144771 * 9.5 / 0.339) < 1e-12);
    QCOMPARE(g.Text, QStringLiteral("  2.0022"));
    // Away from the centre the field is B0 plus the offset.
    QVERIFY(qAbs(MeasureGFactor(9500000, 3390, 10).G - 0.07144771 * 9.5 / 0.34) < 1e-12);
    // Thousands grouping of the "%8.4n" text.
    QCOMPARE(MeasureGFactor(9500000000.0L, 3390, 0).Text, QStringLiteral("2 002.2220"));
}

QTEST_GUILESS_MAIN(TestCursors)
#include "test_Cursors.moc"
