// The main window's status panels and the line above them: a text belongs to
// the state it describes and goes when that state ends, a typed value that
// could not be applied as typed is told, and the pass counter and the
// progress line tell one count.

#include "Chart.h"
#include "ElidedLabel.h"
#include "FCWHarness.h"
#include "Screenshot.h"
#include "StatusBar.h"
#include "UpDown.h"
#include "ValueBox.h"

#include <QProgressBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>

namespace {

QByteArray Values(int n)
{
    QByteArray lines;
    for (int i = 0; i < n; ++i)
        lines += "V 00001000\r";
    return lines;
}

const QByteArray FourPoints = "A0004\rB\r" + Values(4) + "C\rD\r";

void Type(TValueBox* box, const QString& text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

// The number after "Acc: " and after "pass " in the progress line; -1 when none.
int CountIn(const QString& text, const QString& before)
{
    const QRegularExpressionMatch m = QRegularExpression(before + QStringLiteral("(\\d+)")).match(text);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

} // namespace

class TestFCWStatusLine : public QObject {
    Q_OBJECT

private slots:
    void textsEndWithTheirState_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("spectrometer");   // panel 2 afterwards
        QTest::addColumn<QString>("line");           // the line above the panels afterwards
        QTest::newRow("connected") << "" << "Spectrometer: connected" << "";
        QTest::newRow("stored, then aborted") << "store,abort" << "Spectrometer: Experiment aborted - ready" << "";
        QTest::newRow("typed note, then run") << "note,run" << "Spectrometer: end of experiment - ready" << "";
        QTest::newRow("typed note, then arrows") << "note,arrows" << "Spectrometer: connected" << "";
    }
    void textsEndWithTheirState()
    {
        QFETCH(QString, steps);
        QFETCH(QString, spectrometer);
        QFETCH(QString, line);
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        h.ConnectScripted();
        for (const QString& step : steps.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            if (step == QLatin1String("store")) {
                w.FNameEdit->setText(QStringLiteral("esr2"));
                w.StartToolB->click();
                h.Feed(FourPoints);
                QVERIFY2(w.ActivityLab->text().contains(QStringLiteral("esr2.dcw")), qPrintable(w.ActivityLab->text()));
            } else if (step == QLatin1String("abort")) {
                w.FNameEdit->setText(QStringLiteral("esr3"));
                w.StartToolB->click();
                h.Feed("A0004\rB\r" + Values(2));
                w.AbortToolB->click();
                h.Feed("F\rD\r");
            } else if (step == QLatin1String("run")) {
                w.StartToolB->click();
                h.Feed(FourPoints);
            } else if (step == QLatin1String("note")) {
                Type(w.AccVal, QStringLiteral("0"));
                QCOMPARE(w.ActivityLab->text(), QStringLiteral("Accumulations stays 1, its lower limit (0 typed)"));
            } else if (step == QLatin1String("arrows")) {
                w.AccUpDown->Click(TUpDown::btNext);
            }
        }
        QCOMPARE(h.Panel(2), spectrometer);
        QCOMPARE(w.ActivityLab->text(), line);
        QVERIFY(w.ActivityLab->isVisibleTo(&w));
        QCOMPARE(h.Operator.Problems(), QString());
    }

    // What was applied of a typed value, and why, where the operator looks:
    // the examples a new user met in ESR.
    void clampedValuesAreTold_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("told");
        QTest::newRow("B0 beyond its range") << "B0 value" << "99999"
                                             << "B0 set to 19.12 Gs, its upper limit (99999 typed)";
        QTest::newRow("sweep between steps") << "Field sweep range value" << "7"
                                             << "Field sweep range set to 7.5 Gs, the nearest step (7 typed)";
    }
    void clampedValuesAreTold()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, told);
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        h.ConnectScripted();
        w.EPRResRB->click();
        TValueBox* target = nullptr;
        for (TValueBox* b : w.findChildren<TValueBox*>())
            if (b->accessibleName() == box)
                target = b;
        QVERIFY(target);
        Type(target, typed);
        QCOMPARE(w.ActivityLab->text(), told);
        QCOMPARE(w.ActivityLab->accessibleName(), told);

        // During a run the note stands in for the progress for a while.
        w.StartToolB->click();
        h.Feed("A0004\rB\r");
        QVERIFY(w.RunProgressBar->isVisibleTo(&w));
        Type(w.AccVal, QStringLiteral("0"));
        QCOMPARE(w.ActivityLab->text(), QStringLiteral("Accumulations stays 1, its lower limit (0 typed)"));
        QVERIFY(w.ActivityLab->isVisibleTo(&w));
        QVERIFY(!w.RunProgressBar->isVisibleTo(&w));
    }

    // The note is read whole above the panels on every screen
    // (screenshots/FCW-<size>-note.png).
    void noteReadWholeOnEveryScreen_data()
    {
        AddReviewScreens();
    }
    void noteReadWholeOnEveryScreen()
    {
        QFETCH(QSize, screen);
        TFCWHarness h(TFCWHarness::ProgramDirIni(), screen.width(), TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        w.resize(screen.width(), screen.height() - 30);
        h.ConnectScripted();
        w.EPRResRB->click();
        Type(w.TuningB0Val, QStringLiteral("99999"));
        w.Fid->RepaintNow();
        SaveScreenshot(w, QStringLiteral("FCW-%1x%2-note").arg(screen.width()).arg(screen.height()));
        QCOMPARE(w.ActivityLab->ShownText(), QStringLiteral("B0 set to 19.12 Gs, its upper limit (99999 typed)"));
    }

    // After every reply of a three-pass run the counter and the progress
    // line give the same pass, at once.
    void counterAndProgressTellOneCount()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        h.ConnectScripted();
        w.AccUpDown->ClickTo(3);
        w.StartToolB->click();
        const QList<QByteArray> replies = {"A0004\r", "B\r", Values(2), Values(2), "C\r", "D\r"};
        for (int pass = 1; pass <= 3; ++pass)
            for (const QByteArray& reply : replies) {
                h.Feed(reply);
                if (!h.Run().Running())
                    continue;   // the run has ended
                const int counted = CountIn(h.Panel(0), QStringLiteral("Acc: "));
                const int shown = CountIn(w.RunProgressBar->format(), QStringLiteral("pass "));
                const QString what = QStringLiteral("after %1 of pass %2: \"%3\" and \"%4\"")
                                         .arg(QString::fromLatin1(reply.left(1)))
                                         .arg(pass)
                                         .arg(h.Panel(0), w.RunProgressBar->format());
                QVERIFY2(counted == shown, qPrintable(what));
                // The pass asked for has no points until the instrument sets it up.
                if (reply == "D\r")
                    QVERIFY2(w.RunProgressBar->format().contains(QStringLiteral("setting up")), qPrintable(what));
            }
        QCOMPARE(h.Run().State(), int(esFinished));
        QCOMPARE(h.Panel(0), QStringLiteral("Acc: 3 of 3"));
    }
};

QTEST_MAIN(TestFCWStatusLine)
#include "test_FCWStatusLine.moc"
