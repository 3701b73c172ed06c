// Typing into the main window's value boxes: a typed value selects the
// position nearest to it, and the link carries exactly what the arrow click
// that lands on that position carries. Esc, a text that is not a number, or
// leaving the box restore the shown value and send nothing.

#include "AccessibleTree.h"
#include "DataFile.h"
#include "FCWHarness.h"
#include "SignalModel.h"
#include "Freq.h"
#include "UTextTbl.h"
#include "UpDown.h"
#include "ValueBox.h"

#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <functional>

namespace {

void Type(TValueBox* box, const QString& text, Qt::Key end = Qt::Key_Return)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, end);
}

// The position in min..max whose table value is nearest.
int NearestInTable(double value, int min, int max, const std::function<double(int)>& table)
{
    int best = min;
    for (int i = min; i <= max; ++i)
        if (std::abs(table(i) - value) < std::abs(table(best) - value))
            best = i;
    return best;
}

} // namespace

class TestFCWValueBoxes : public QObject {
    Q_OBJECT

    struct TBox {
        TValueBox* Box;
        TUpDown* Arrows;
    };

    static TBox BoxNamed(TFCW& w, const QString& name)
    {
        const std::pair<TValueBox*, TUpDown*> boxes[] = {
            {w.TuningB0Val, w.TuningB0UpDown}, {w.DB0Val, w.DB0UpDown},       {w.FrequencyVal, w.FrequencyUpDown},
            {w.DFrqVal, w.DFrqUpDown},         {w.ModAmpVal, w.ModAmpUpDown}, {w.FieldSwRngVal, w.FieldSwRngUpDown},
            {w.FreqSwRngVal, w.FreqSwRngUpDown}, {w.SweepTVal, w.SweepTUpDown}, {w.AccVal, w.AccUpDown}};
        for (const auto& [box, arrows] : boxes)
            if (box->accessibleName() == name)
                return {box, arrows};
        qFatal("no value box %s", qPrintable(name));
    }

private slots:
    void typedValueSendsWhatTheClickThereSends_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("position");    // worked out from the instrument's tables, not the captions
        QTest::addColumn<bool>("sends");
        const long double b0Origin = ResonanceField(0, 0);
        QTest::newRow("B0") << "B0 value" << "3 300" << int(std::lround((3300 - b0Origin) / FieldPerPosition(0)))
                            << true;
        QTest::newRow("B0 below") << "B0 value" << "3280.04 Gs"
                                  << int(std::lround((3280.04L - b0Origin) / FieldPerPosition(0))) << true;
        QTest::newRow("Frequency") << "Frequency value" << "14012.3"
                                   << int(std::lround((14012300 - FrequencyHz(0, 0)) / 500.0)) << true;
        QTest::newRow("B0 step") << "B0 step value" << "1" << 1 << false;
        QTest::newRow("Frequency step") << "Frequency step value" << "10 kHz" << 2 << false;
        QTest::newRow("Modulation") << "Modulation amplitude value" << "0.68"
                                    << NearestInTable(0.68, 1, 11, [](int i) { return ModAmpValue(i); }) << true;
        QTest::newRow("Field sweep") << "Field sweep range value" << "21"
                                     << NearestInTable(21, 1, 10, [](int i) {
                                            return FieldSweepRangeValue(FieldSweepRowNMR, i);
                                        })
                                     << true;
        QTest::newRow("Frequency sweep") << "Frequency sweep range value" << "90"
                                         << NearestInTable(90, 1, 9, [](int i) { return FreqSweepRangeValue(i); })
                                         << true;
        QTest::newRow("Sweep time") << "Sweep time value" << "4 min" << 4 << true;
        QTest::newRow("Accumulations") << "Accumulations value" << "7" << 7 << false;
    }

    void typedValueSendsWhatTheClickThereSends()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(int, position);
        QFETCH(bool, sends);
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.ConnectScripted();
        TFCW& w = h.FCW();
        const TBox b = BoxNamed(w, box);
        const int before = b.Arrows->Position();
        QVERIFY(position != before);
        h.TakeSent();
        Type(b.Box, typed);
        QCOMPARE(b.Arrows->Position(), position);
        const QString sent = h.TakeSent();
        QCOMPARE(sent.count(QLatin1Char('|')), sends ? 1 : 0);
        const QString shown = b.Box->text();
        QCOMPARE(shown, b.Box->Caption(position));

        // The arrow click that lands there, from the position one click away.
        const bool up = position > before;
        b.Arrows->SetPosition(position + (up ? -b.Arrows->Increment() : b.Arrows->Increment()));
        b.Arrows->Click(up ? TUpDown::btNext : TUpDown::btPrev);
        QCOMPARE(b.Arrows->Position(), position);
        QCOMPARE(h.TakeSent(), sent);
        QCOMPARE(b.Box->text(), shown);
    }

    // B0 set through the accessibility interface, as a screen reader or a test
    // tool sets it: nothing goes out and nothing new is stored until Enter;
    // then the instrument gets it, and the file holds what it got.
    void b0SetThroughTheAccessibilityInterface()
    {
        TFCWHarness h;
        TInstrumentConfig c = h.Instrument().Config();
        c.Points = 32;
        h.Instrument().Configure(c);
        QVERIFY(h.Connect());
        TFCW& w = h.FCW();
        const auto instrumentField = [&] { return CentreField(h.Instrument().Parameters(), h.Instrument().Config()); };
        const auto storedField = [&](const QString& name) {
            return double(ReadSpectrumFile(h.PathIn(name + QStringLiteral(".dcw"))).B0);
        };
        const double before = instrumentField();
        QAccessibleInterface* b0 = FindAccessible(w, QAccessible::EditableText, QStringLiteral("B0 value"));
        QVERIFY(SetAccessibleText(b0, QStringLiteral("3 300")));
        QCOMPARE(b0->text(QAccessible::Value), QStringLiteral("3 300"));
        h.TakeSent();
        w.FNameEdit->setText(QStringLiteral("typed"));
        QVERIFY(h.RunToEnd());
        QVERIFY(std::abs(storedField(QStringLiteral("typed")) - before) <= 0.005);
        QVERIFY(!h.TakeSent().contains(QStringLiteral("B1")));
        QCOMPARE(instrumentField(), before);

        QVERIFY(SetAccessibleText(b0, QStringLiteral("3 300")));
        QTest::keyClick(w.TuningB0Val, Qt::Key_Return);
        const QString sent = h.TakeSent();
        QVERIFY2(sent.startsWith(QStringLiteral("B1")) && sent.count(QLatin1Char('|')) == 1, qPrintable(sent));
        const double entered = instrumentField();
        QVERIFY2(std::abs(entered - 3300) <= FieldPerPosition(0) / 2, qPrintable(QString::number(entered)));
        QCOMPARE(b0->text(QAccessible::Value), w.TuningB0Val->Shown());
        w.FNameEdit->setText(QStringLiteral("entered"));
        QVERIFY(h.RunToEnd());
        QVERIFY(std::abs(storedField(QStringLiteral("entered")) - entered) <= 0.005);
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void accumulationsTypedReachTheStatusLine()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        Type(h.FCW().AccVal, QStringLiteral("250"));
        QCOMPARE(h.FCW().AccUpDown->Position(), 99);
        QCOMPARE(h.FCW().AccVal->text(), QStringLiteral("99"));
        QCOMPARE(h.Panel(0), QStringLiteral("Acc: 0 of 99"));
    }

    // Esc belongs to the box while a value is typed: on hold, where the
    // modulation may be changed, it does not abort the run.
    void escapeAndBadTextRestoreAndSendNothing()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        h.ConnectScripted();
        w.StartToolB->click();
        h.Feed("A0010\rB\rH1\r");
        QCOMPARE(w.Spectrometer().Run().State(), int(esRunning));
        QVERIFY(w.ModAmpVal->isEnabled());
        h.TakeSent();
        const QString shown = w.ModAmpVal->text();
        Type(w.ModAmpVal, QStringLiteral("0.7"), Qt::Key_Escape);
        QCOMPARE(w.ModAmpVal->text(), shown);
        Type(w.ModAmpVal, QStringLiteral("seven"));
        QCOMPARE(w.ModAmpVal->text(), shown);
        Type(w.ModAmpVal, QStringLiteral("0.7 mT"));
        QCOMPARE(w.ModAmpVal->text(), shown);
        QCOMPARE(h.TakeSent(), QString());
        QCOMPARE(w.Spectrometer().Run().State(), int(esRunning));
        // Leaving the box with a value typed keeps the shown one.
        w.ModAmpVal->setFocus();
        QTest::keyClicks(w.ModAmpVal, QStringLiteral("0.7"));
        w.CommentEdit->setFocus();
        QTRY_COMPARE(w.ModAmpVal->text(), shown);
        QCOMPARE(h.TakeSent(), QString());
        // Without anything typed, Esc is still Abort.
        w.ModAmpVal->setFocus();
        QTest::keyClick(w.ModAmpVal, Qt::Key_Escape);
        QCOMPARE(h.TakeSent(), QStringLiteral("N|"));
    }
};

QTEST_MAIN(TestFCWValueBoxes)
#include "test_FCWValueBoxes.moc"
