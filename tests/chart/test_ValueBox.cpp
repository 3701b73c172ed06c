// The value box beside up-down arrows: reading a typed number, choosing the
// nearest position, and what Enter, Esc and leaving the box do; and the
// status-line label that cuts a long text visibly.

#include "ElidedLabel.h"
#include "UpDown.h"
#include "ValueBox.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <optional>
#include <vector>

namespace {

// Arrows over 0..40 whose captions read "%.1f Gs" of position x 0.25 - 5.
struct TRig {
    QWidget Window;
    TUpDown* Arrows = new TUpDown(&Window);
    TValueBox* Box = new TValueBox(&Window, QStringLiteral("Field"));
    QLineEdit* Elsewhere = new QLineEdit(&Window);
    std::vector<std::pair<int, TUpDown::TUDBtnType>> Clicks;

    TRig()
    {
        Arrows->SetRange(0, 40);
        Arrows->SetPosition(20);
        Box->Attach(Arrows, [](int p) { return QStringLiteral("%1 Gs").arg(p * 0.25 - 5, 0, 'f', 1); });
        Arrows->OnClick = [this](TUpDown::TUDBtnType b) {
            Clicks.emplace_back(Arrows->Position(), b);
            Box->ShowPosition(Arrows->Position());
        };
        Box->ShowPosition(20);
        Window.show();
        Window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&Window));
    }
    void Type(const QString& text, Qt::Key end)
    {
        Box->setFocus();
        Box->selectAll();
        QTest::keyClicks(Box, text);
        if (end != Qt::Key_unknown)
            QTest::keyClick(Box, end);
    }
};

} // namespace

class TestValueBox : public QObject {
    Q_OBJECT

private slots:
    void typedNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<double>("value");   // NaN: not a number
        const double none = std::nan("");
        QTest::newRow("plain") << "3300" << "Gs" << 3300.0;
        QTest::newRow("decimals") << "12.75" << "" << 12.75;
        QTest::newRow("leading point") << ".5" << "" << 0.5;
        QTest::newRow("thousands blank") << "50 000.0" << "kHz" << 50000.0;
        QTest::newRow("shown caption") << " -1 234.56 Gs" << "Gs" << -1234.56;
        QTest::newRow("unit any case") << "20 gs" << "Gs" << 20.0;
        QTest::newRow("unicode minus") << "\u22123" << "" << -3.0;
        QTest::newRow("other unit") << "5 mT" << "Gs" << none;
        QTest::newRow("comma") << "0,5" << "" << none;
        QTest::newRow("letters") << "abc" << "" << none;
        QTest::newRow("two signs") << "--3" << "" << none;
        QTest::newRow("two points") << "1.2.3" << "" << none;
    }
    void typedNumbers()
    {
        QFETCH(QString, text);
        QFETCH(QString, unit);
        QFETCH(double, value);
        const std::optional<double> parsed = ParseTypedValue(text, unit);
        if (std::isnan(value))
            QVERIFY2(!parsed, qPrintable(QString::number(parsed.value_or(0))));
        else
            QCOMPARE(parsed.value_or(std::nan("")), value);
    }

    void captionUnits()
    {
        QCOMPARE(CaptionUnit(QStringLiteral(" 300 Gs")), QStringLiteral("Gs"));
        QCOMPARE(CaptionUnit(QStringLiteral("50 000.0 kHz")), QStringLiteral("kHz"));
        QCOMPARE(CaptionUnit(QStringLiteral("  16 min")), QStringLiteral("min"));
        QCOMPARE(CaptionUnit(QStringLiteral("7")), QString());
    }

    void nearestPosition()
    {
        // Values 0, 10, 20, ... at positions 0..10; position 4 has none.
        const auto tens = [](int p) -> std::optional<double> {
            if (p == 4)
                return std::nullopt;
            return p * 10.0;
        };
        QCOMPARE(NearestPosition(33, 0, 0, 10, tens), 3);
        QCOMPARE(NearestPosition(43, 0, 0, 10, tens), 5);   // 4 has no value
        QCOMPARE(NearestPosition(37, 0, 0, 10, tens), 3);
        QCOMPARE(NearestPosition(-50, 5, 0, 10, tens), 0);
        QCOMPARE(NearestPosition(1e9, 5, 0, 10, tens), 10);
        // Halfway between 20 and 30: the one nearer to where the arrows are.
        QCOMPARE(NearestPosition(25, 9, 0, 10, tens), 3);
        QCOMPARE(NearestPosition(25, 0, 0, 10, tens), 2);
        QCOMPARE(NearestPosition(5, 7, 0, 10, [](int) { return std::optional<double>(); }), 7);
    }

    // Enter: the nearest position, one click's handler run, the new caption shown.
    void enterMovesToTheNearestPosition()
    {
        TRig rig;
        rig.Type(QStringLiteral("-2.1"), Qt::Key_Return);
        QCOMPARE(rig.Arrows->Position(), 12);          // -2.0 Gs
        QCOMPARE(rig.Clicks.size(), size_t(1));
        QCOMPARE(rig.Clicks[0].second, TUpDown::btPrev);
        QCOMPARE(rig.Box->text(), QStringLiteral("-2.0 Gs"));
        rig.Type(QStringLiteral("100 gs"), Qt::Key_Enter);
        QCOMPARE(rig.Arrows->Position(), 40);          // clamped to the largest
        QCOMPARE(rig.Clicks.back(), std::make_pair(40, TUpDown::btNext));
        // The position already held: no handler runs.
        rig.Type(QStringLiteral("5.05"), Qt::Key_Return);
        QCOMPARE(rig.Clicks.size(), size_t(2));
        QCOMPARE(rig.Box->text(), QStringLiteral("5.0 Gs"));
    }

    // A value not applied as typed is told: what the box holds now and why.
    void whatWasAppliedIsTold_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("note");
        QTest::newRow("above") << "100" << "Field set to 5.0 Gs, its upper limit (100 typed)";
        QTest::newRow("below") << "-7 Gs" << "Field set to -5.0 Gs, its lower limit (-7 Gs typed)";
        QTest::newRow("between steps") << "3.05" << "Field set to 3.0 Gs, the nearest step (3.05 typed)";
        QTest::newRow("nearest held") << "0.05" << "Field stays 0.0 Gs, the nearest step (0.05 typed)";
        QTest::newRow("not a number") << "abc" << "Field stays 0.0 Gs: \"abc\" is not a number in Gs";
        QTest::newRow("as typed") << "2.5 Gs" << "";
    }
    void whatWasAppliedIsTold()
    {
        QFETCH(QString, typed);
        QFETCH(QString, note);
        TRig rig;   // at position 20: "0.0 Gs"
        QSignalSpy told(rig.Box, &TValueBox::Adjusted);
        rig.Type(typed, Qt::Key_Return);
        QCOMPARE(told.isEmpty() ? QString() : told.takeFirst().at(0).toString(), note);
        QVERIFY(told.isEmpty());
    }

    // What is restored is the caption the program showed last, not what was typed.
    // A text set by any means but the arrows' handler (setText, an assistive
    // tool) is typed, not shown: Esc or leaving the box puts the caption
    // shown back, only Enter takes it; the handler's captions meanwhile do not
    // overwrite it.
    void onlyEnterTakesATextSetFromOutside()
    {
        TRig rig;   // at position 20: "0.0 Gs"
        rig.Box->setText(QStringLiteral("2.5 Gs"));
        QVERIFY(rig.Box->Typed());
        QTest::keyClick(rig.Box, Qt::Key_Escape);
        QCOMPARE(rig.Box->text(), QStringLiteral("0.0 Gs"));
        rig.Box->setFocus();
        rig.Box->setText(QStringLiteral("2.5 Gs"));
        rig.Elsewhere->setFocus();
        QTRY_COMPARE(rig.Box->text(), QStringLiteral("0.0 Gs"));
        QVERIFY(rig.Clicks.empty());
        rig.Box->setText(QStringLiteral("2.5 Gs"));
        rig.Box->ShowPosition(22);
        QCOMPARE(rig.Box->text(), QStringLiteral("2.5 Gs"));
        QCOMPARE(rig.Box->Shown(), QStringLiteral("0.5 Gs"));
        QTest::keyClick(rig.Box, Qt::Key_Return);
        QCOMPARE(rig.Arrows->Position(), 30);
        QCOMPARE(rig.Clicks.size(), size_t(1));
        QCOMPARE(rig.Box->text(), QStringLiteral("2.5 Gs"));
        QVERIFY(!rig.Box->Typed());
    }

    void disabledArrowsTakeNoValue()
    {
        TRig rig;
        rig.Arrows->setEnabled(false);
        QVERIFY(!rig.Box->isEnabled());
        rig.Box->selectAll();
        rig.Box->insert(QStringLiteral("3"));
        rig.Box->Commit();
        QVERIFY(rig.Clicks.empty());
        QCOMPARE(rig.Box->text(), QStringLiteral("0.0 Gs"));
    }

    void elidedLabelCutsVisiblyAndKeepsTheWholeText()
    {
        QWidget window;
        auto* label = new TElidedLabel(&window);
        const QString text = QStringLiteral("Magnetic Field Source: Magnet & Coils");
        label->SetText(text);
        label->setGeometry(0, 0, label->fontMetrics().horizontalAdvance(text) / 2, 20);
        window.show();
        QVERIFY(label->ShownText().endsWith(QChar(0x2026)));
        QVERIFY(text.startsWith(label->ShownText().chopped(1)));
        QCOMPARE(label->toolTip(), text);
        QCOMPARE(label->accessibleName(), text);
        label->resize(label->fontMetrics().horizontalAdvance(text) + 20, 20);
        QCOMPARE(label->ShownText(), text);
        QVERIFY(label->minimumSizeHint().width() < label->fontMetrics().horizontalAdvance(text) / 2);
    }
};

QTEST_MAIN(TestValueBox)
#include "test_ValueBox.moc"
