// The processing window as a screen reader uses it: views and measurements
// switched on through the buttons' accessibility actions alone, and the values
// read back through the accessibility interface. What is read must be what the
// processing library computes for the same cursors.

#include "AccessibleTree.h"
#include "DataProcRig.h"
#include "Integral.h"
#include "Moments.h"
#include "Views.h"
#include "Widths.h"

#include <QLabel>

namespace {


// Finds a button by its name and runs one of its actions, then lets the
// charts draw as the frame timer would.
void Act(TDataProcRig& rig, const QString& button, const QString& action)
{
    QAccessibleInterface* node = FindAccessible(rig.W, QAccessible::CheckBox, button);
    QVERIFY2(node, qPrintable(button));
    QVERIFY2(DoAccessibleAction(node, action), qPrintable(button + QLatin1Char(' ') + action));
    rig.Draw();
}

QString Read(TDataProcRig& rig, const QString& value)
{
    return AccessibleReading(FindAccessible(rig.W, QAccessible::StaticText, value));
}

} // namespace

class TestDataProcAccessibility : public QObject {
    Q_OBJECT

private slots:
    void viewsAndMeasurementsThroughActionsReadAsTheLibraryComputes()
    {
        TDataProcRig rig;
        TFDataProc& w = rig.W;
        rig.Load(rig.Write(QStringLiteral("line.dcw"), NmrHeader(), LorentzDerivative(1000, 30, 300, 8)));
        const QString toggle = QAccessibleActionInterface::toggleAction();
        const QString press = QAccessibleActionInterface::pressAction();
        const auto& c = w.DstMarker.Positions;

        // The action runs the button's handler: the view is there, not just a checked button.
        Act(rig, QStringLiteral("1st Derivative"), toggle);
        QVERIFY(w.FDerivativeTB->isChecked());
        QVERIFY(w.Series2->Count() > 0);
        QVERIFY(FindAccessible(w, QAccessible::CheckBox, QStringLiteral("1st Derivative"))->state().checked);

        Act(rig, QStringLiteral("M2"), press);
        QVERIFY(w.M2DerivativeTB->isChecked());
        const TMoments derivative =
            MeasureMoments(Line(*w.Series2), TViewKind::Derivative, c[1], c[3], c[2], 0.025L);
        QVERIFY(!derivative.M2Text.trimmed().isEmpty());
        QCOMPARE(Read(rig, QStringLiteral("M2")), derivative.M2Text + QLatin1Char(' ') + ValueDetail(w.M2Val));
        QCOMPARE(Read(rig, QStringLiteral("M2L")), derivative.M2LText);
        QVERIFY(Read(rig, QStringLiteral("M4")).startsWith(derivative.M4Text + QChar(0x2074)));

        Act(rig, QStringLiteral("Absorption"), toggle);
        QVERIFY(w.AbsorptionTB->isChecked());
        QVERIFY(!w.FDerivativeTB->isChecked());
        Act(rig, QStringLiteral("M2"), toggle);   // the absorption view's own "M2"
        QVERIFY(w.M2AbsorptionTB->isChecked());
        const TMoments absorption =
            MeasureMoments(Line(*w.Series2), TViewKind::Absorption, c[1], c[3], c[2], 0.025L);
        QCOMPARE(Read(rig, QStringLiteral("M2")), absorption.M2Text + QLatin1Char(' ') + ValueDetail(w.M2Val));
        QCOMPARE(Read(rig, QStringLiteral("M2R")), absorption.M2RText);

        Act(rig, QStringLiteral("HDB"), press);
        QVERIFY(w.HDBTB->isChecked());
        const QString width = MeasureWidth(Line(*w.Series2), c[1], c[2], QStringLiteral("Gs")).Text;
        QVERIFY(!width.trimmed().isEmpty());
        QCOMPARE(Read(rig, QStringLiteral("HDB")), width);

        Act(rig, QStringLiteral("Integral"), press);
        QVERIFY(w.IntegralTB->isChecked());
        QVERIFY(!w.HDBTB->isChecked());
        TIntegrator area = AreaIntegrator(Line(*w.Series2), -500, 500);
        const TIntegral integral = MeasureIntegral(area, c[1], c[2], QStringLiteral("Gs"));
        QCOMPARE(Read(rig, QStringLiteral("AI")), integral.AIText);
        QCOMPARE(Read(rig, QStringLiteral("Integral LC")), integral.LCText);
        QCOMPARE(Read(rig, QStringLiteral("Integral RC")), integral.RCText);

        // Another measurement of the row through its action takes the integral off, curve and all.
        QVERIFY(w.SeriesI->Count() > 0);
        Act(rig, QStringLiteral("HDB"), toggle);
        QVERIFY(w.HDBTB->isChecked());
        QVERIFY(!w.IntegralTB->isChecked());
        QCOMPARE(w.SeriesI->Count(), 0);
        QVERIFY2(rig.Op.Problems().isEmpty(), qPrintable(rig.Op.Problems()));
    }

    // Only buttons that can be checked get the click under "Toggle": a plain
    // button keeps Qt's own "Press". The setup values are read as shown.
    void plainButtonsAndSetupValues()
    {
        TDataProcRig rig;
        QAccessibleInterface* exportButton = QAccessible::queryAccessibleInterface(rig.W.ExportATB);
        QVERIFY(exportButton->actionInterface()->actionNames().isEmpty());   // disabled: nothing to export
        rig.Load(rig.Write(QStringLiteral("line.dcw"), NmrHeader(), LorentzDerivative(200, 10)));
        QCOMPARE(exportButton->role(), QAccessible::Button);
        QCOMPARE(exportButton->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
        QCOMPARE(Read(rig, QStringLiteral("Mode")), rig.W.LResonance->text());
        QVERIFY(Read(rig, QStringLiteral("Mode")).contains(QStringLiteral("NMR 1H")));
        QCOMPARE(Read(rig, QStringLiteral("Frequency")), rig.W.LFrequency->text());
        QVERIFY(!Read(rig, QStringLiteral("Frequency")).isEmpty());
    }
};

QTEST_MAIN(TestDataProcAccessibility)
#include "test_DataProcAccessibility.moc"
