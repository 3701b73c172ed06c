// The main window as a screen reader uses it: a mode button, the marker kind
// and the average switch through their accessibility actions, and the value
// labels read through the accessibility interface.

#include "AccessibleTree.h"
#include "FCWHarness.h"
#include "Chart.h"
#include "UMMarker.h"
#include "ValueBox.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

namespace {

QByteArray Values(int n)
{
    QByteArray lines;
    for (int i = 0; i < n; ++i)
        lines += "V " + QByteArray::number(quint32(qint32((i - n / 2) * 13500)), 16).rightJustified(8, '0') + '\r';
    return lines;
}

} // namespace

class TestFCWAccessibility : public QObject {
    Q_OBJECT

private slots:
    void modeButtonThroughItsActionSwitchesAndSends()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.ConnectScripted();
        h.TakeSent();
        QAccessibleInterface* esr = FindAccessible(h.FCW(), QAccessible::RadioButton, QStringLiteral("ESR"));
        QVERIFY(esr);
        QVERIFY(esr->state().checkable);
        QVERIFY(DoAccessibleAction(esr, QAccessibleActionInterface::toggleAction()));
        QVERIFY(h.FCW().EPRResRB->isChecked());
        QCOMPARE(h.Setup().Mode(), 3);
        QVERIFY(esr->state().checked);
        // The same commands as a click on the button.
        QCOMPARE(h.TakeSent(), QStringLiteral("B107FF|J02FAF080|E00|H100|P1|"));
        // "Press" does the same; on the button already checked it changes nothing.
        QVERIFY(DoAccessibleAction(esr, QAccessibleActionInterface::pressAction()));
        QVERIFY(h.FCW().EPRResRB->isChecked());
        QAccessibleInterface* h1 = FindAccessible(h.FCW(), QAccessible::RadioButton, QStringLiteral("NMR 1H"));
        QVERIFY(DoAccessibleAction(h1, QAccessibleActionInterface::pressAction()));
        QCOMPARE(h.Setup().Mode(), 0);
    }

    void markerKindAndAverageThroughActionsAfterARun()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        w.resize(1024, 700);
        h.ConnectScripted();
        w.StartToolB->click();
        h.Feed("A0040\rB\r" + Values(64) + "C\rD\r");
        QCOMPARE(w.Spectrometer().Run().State(), int(esFinished));

        QAccessibleInterface* horizontal =
            FindAccessible(w, QAccessible::RadioButton, QStringLiteral("Horizontal marker"));
        QVERIFY(horizontal);
        QVERIFY(DoAccessibleAction(horizontal, QAccessibleActionInterface::toggleAction()));
        QVERIFY(w.HorizMTB->isChecked());
        QVERIFY(!w.VertMTB->isChecked());
        // The marker itself changed kind: its readout gives the amplitude only.
        w.Fid->RepaintNow();
        QAccessibleInterface* readout = FindAccessible(w, QAccessible::StaticText, QStringLiteral("Marker readout"));
        QTRY_VERIFY(AccessibleReading(readout).trimmed().startsWith(QStringLiteral("A:")));
        QAccessibleInterface* vertical = FindAccessible(w, QAccessible::RadioButton, QStringLiteral("Vertical marker"));
        QVERIFY(DoAccessibleAction(vertical, QAccessibleActionInterface::pressAction()));
        w.Fid->RepaintNow();
        // "F:" or "B:" and the amplitude: the point under the vertical marker.
        QTRY_VERIFY(AccessibleReading(readout).trimmed().contains(QRegularExpression(QStringLiteral("^[FB]: .* A: "))));

        // "Toggle" on the average switch runs its handler: menu and curve follow.
        QAccessibleInterface* average = FindAccessible(w, QAccessible::CheckBox, QStringLiteral("Accumulation Pass"));
        QVERIFY(average);
        const bool before = w.MAccDiagram->isChecked();
        QVERIFY(DoAccessibleAction(average, QAccessibleActionInterface::toggleAction()));
        QCOMPARE(w.AccDToolB->isChecked(), !before);
        QCOMPARE(w.MAccDiagram->isChecked(), !before);
        QCOMPARE(w.SeriesAcc->Visible(), !before);
    }

    // Hold pressed as a screen reader presses it: once the instrument is on
    // hold the button reads "Continue", by name and by description.
    void holdBecomesContinue()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        h.ConnectScripted();
        w.StartToolB->click();
        h.Feed("A0010\rB\r" + Values(4));
        QAccessibleInterface* hold = FindAccessible(w, QAccessible::CheckBox, QStringLiteral("Hold"));
        QVERIFY(hold);
        QCOMPARE(hold->text(QAccessible::Description), QStringLiteral("Hold"));
        QVERIFY(DoAccessibleAction(hold, QAccessibleActionInterface::pressAction()));
        h.Feed("H1\r");
        QCOMPARE(w.HoldToolB->text(), QStringLiteral("Continue"));
        QCOMPARE(hold->text(QAccessible::Name), QStringLiteral("Continue"));
        QCOMPARE(hold->text(QAccessible::Description), QStringLiteral("Continue"));
        h.Feed("H0\r");
        QCOMPARE(hold->text(QAccessible::Description), QStringLiteral("Hold"));
    }

    // Tab comes into the mode buttons on the mode chosen, not on the first.
    void tabStopsOnTheCheckedMode()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        h.ConnectScripted();
        QVERIFY(DoAccessibleAction(FindAccessible(w, QAccessible::RadioButton, QStringLiteral("ESR")),
                                   QAccessibleActionInterface::pressAction()));
        QVERIFY(w.EPRResRB->isChecked());
        QApplication::setActiveWindow(&w);
        // The last Tab stop before the group, then Tab.
        QWidget* before = w.HydrogenRB->previousInFocusChain();
        while (!(before->focusPolicy() & Qt::TabFocus) || !before->isVisible() || !before->isEnabled() ||
               w.HydrogenRB->parentWidget()->isAncestorOf(before))
            before = before->previousInFocusChain();
        before->setFocus(Qt::TabFocusReason);
        QTest::keyClick(before, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.EPRResRB);
    }

    void valueLabelsAreReadAsShown()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        QAccessibleInterface* gain = FindAccessible(w, QAccessible::StaticText, QStringLiteral("Gain value"));
        QVERIFY(gain);
        w.GainScrollBar->setValue(137);
        QCOMPARE(AccessibleReading(gain), QStringLiteral("137"));
        w.GainScrollBar->setValue(12);
        QCOMPARE(AccessibleReading(gain), QStringLiteral("12"));
        QAccessibleInterface* phase = FindAccessible(w, QAccessible::StaticText, QStringLiteral("Phase value"));
        QCOMPARE(AccessibleReading(phase), w.PhaseVal->text());
        // The boxes that take typing are read as edit fields.
        QAccessibleInterface* b0 = FindAccessible(w, QAccessible::EditableText, QStringLiteral("B0 value"));
        QVERIFY(b0);
        QCOMPARE(b0->text(QAccessible::Value), w.TuningB0Val->text());
        QVERIFY(b0->text(QAccessible::Value).endsWith(QStringLiteral("Gs")));
        // Status cells are read whole.
        QAccessibleInterface* source = FindAccessible(w, QAccessible::StaticText, h.Panel(3));
        QVERIFY(source);
    }
};

QTEST_MAIN(TestFCWAccessibility)
#include "test_FCWAccessibility.moc"
