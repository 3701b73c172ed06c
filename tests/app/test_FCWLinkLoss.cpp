// A lost link to the instrument: the main window leaves the connected state,
// ends a run, keeps the passes completed so far, tells the operator once, and
// connects again without a restart; the service window names the loss too.

#include "DataFile.h"
#include "FCWHarness.h"
#include "ScriptedPass.h"
#include "UService.h"
#include "UpDown.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

const QString LostCom1 = QStringLiteral(
    "Connection to COM1 lost: check the cable and the instrument's power, then choose Spectrometer > Connect.");

// Errors no handler caught reach the scripted operator as boxes, so that a
// second message about the same loss shows up as an unexpected one.
struct TErrorBoxes {
    TErrorBoxes() { SetErrorReporter([](const QString& text) { MessageDlg(text, TMsgType::Error, mbOK); }); }
    ~TErrorBoxes() { SetErrorReporter(nullptr); }
};

} // namespace

class TestFCWLinkLoss : public QObject {
    Q_OBJECT

private slots:
    void lossDuringARunEndsItAndKeepsTheCompletedPasses()
    {
        TErrorBoxes boxes;
        TFCWHarness h({QString(), QString(), QString(), QStringLiteral("COM1")}, 1024, TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        h.ConnectScripted();
        w.AccUpDown->ClickTo(3);
        w.StartToolB->click();
        h.Feed(Pass({10, 20, 30, 40}));
        h.Feed("D\r");                       // pass 2 begins
        QCOMPARE(h.TakeSent(), QStringLiteral("F1|F1|"));
        h.Feed(Pass({1000, 2000}, false));     // a partial pass, on hold
        h.Feed("H1\r");
        QVERIFY(w.HoldToolB->isChecked());

        h.Operator.ExpectMessage(LostCom1);
        h.Script().Drop();
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Operator.Done(); }));
        QCoreApplication::processEvents();     // a second message, which must not come, would be shown here
        QCOMPARE(h.Operator.Problems(), QString());

        // Disconnected, as a power-off leaves the window, with the run ended.
        QVERIFY(w.windowTitle().startsWith(QStringLiteral("CW NMR/ESR Spectrometer- Device not connected")));
        QCOMPARE(h.Panel(2), QStringLiteral("Spectrometer: ") + LostCom1);
        QCOMPARE(h.Panel(3), QStringLiteral("Magnetic Field Source: "));
        QVERIFY(w.MLink->isEnabled());
        for (QAction* a : w.MSpcCOM)
            QVERIFY(a->isEnabled());
        QVERIFY(w.StartToolB->isEnabled());
        QVERIFY(w.GainScrollBar->isEnabled());
        QVERIFY(w.AccUpDown->isEnabled());
        QVERIFY(!w.HoldToolB->isEnabled());
        QVERIFY(!w.HoldToolB->isChecked());
        QCOMPARE(w.HoldToolB->text(), QStringLiteral("Hold"));
        QVERIFY(!w.AbortToolB->isEnabled());
        QVERIFY(w.isEnabled());

        // The completed pass is stored, the partial one is not.
        QVERIFY(w.MSaveas->isEnabled());
        const QString path = h.PathIn(QStringLiteral("kept.dcw"));
        h.Operator.ExpectFileDialog(path);
        w.MSaveas->trigger();
        const TSpectrum s = ReadSpectrumFile(path);
        QCOMPARE(s.Acc, 1);
        QCOMPARE(s.Header.Acc, QStringLiteral("1"));
        QCOMPARE(s.Points.size(), size_t(4));
        QCOMPARE(s.Points[0].y(), 10.0);
        QCOMPARE(s.Points[1].y(), 20.0);
        QCOMPARE(s.Points[3].y(), 40.0);

        // Stored: the window closes without a question and writes MERIL.INI.
        QFile::remove(h.PathIn(QStringLiteral("MERIL.INI")));
        QVERIFY(w.close());
        QVERIFY(QFile::exists(h.PathIn(QStringLiteral("MERIL.INI"))));
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void lossInTheFirstPassLeavesNothingToStore()
    {
        TErrorBoxes boxes;
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.ConnectScripted();
        h.FCW().StartToolB->click();
        h.Feed(Pass({5, 6, 7}, false));
        h.Operator.ExpectMessage(LostCom1);
        h.Script().Drop();
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Operator.Done(); }));
        QVERIFY(!h.FCW().MSaveas->isEnabled());
        QVERIFY(h.FCW().close());   // nothing stored nowhere: no question
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void lossStopsTheAlarm()
    {
        TErrorBoxes boxes;
        TFCWHarness h(TFCWHarness::ScriptedLink);   // without MERIL.INI the end of a run loops its sound
        h.ConnectScripted();
        h.FCW().StartToolB->click();
        h.Feed(Pass({1, 2}) + "D\r");
        QCOMPARE(h.Panel(2), QStringLiteral("Spectrometer: end of experiment - ready"));
        QCOMPARE(h.Sounds.Played.back().Mode, TSoundMode::Loop);
        const int stops = h.Sounds.Stops;
        h.Operator.ExpectMessage(LostCom1);
        h.Script().Drop();
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Operator.Done(); }));
        QCOMPARE(h.Sounds.Stops, stops + 1);
        // The finished run's data stay where they were.
        QVERIFY(h.FCW().MSaveas->isEnabled());
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void lossWhileCheckingTheConnectionEndsTheCheck()
    {
        TErrorBoxes boxes;
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.FCW().MLink->trigger();
        QVERIFY(!h.FCW().isEnabled());
        h.Operator.ExpectMessage(LostCom1);
        h.Script().Drop();
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Operator.Done(); }));
        QVERIFY(h.FCW().isEnabled());
        QVERIFY(!h.FCW().Timer1->isActive());
        QVERIFY(h.FCW().MLink->isEnabled());
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void reconnectsAtTheSameAndAtAnotherPort()
    {
        TErrorBoxes boxes;
        TFCWHarness h;
        QVERIFY(h.Connect());
        h.Operator.ExpectMessage(LostCom1);
        h.Link().DropLink();
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Operator.Done(); }));
        QVERIFY(!h.Spectrometer().Connected());

        // The same port, once the device is back.
        QVERIFY(h.Connect());
        QVERIFY(h.FCW().windowTitle().startsWith(QStringLiteral("CW NMR/ESR Spectrometer- Unit Serial #0042")));
        QVERIFY(h.RunToEnd());

        // Another port: the closed link takes the new name without complaint.
        h.Operator.ExpectMessage(LostCom1);
        h.Link().DropLink();
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Operator.Done(); }));
        h.FCW().MSpcCOM[1]->trigger();
        QCOMPARE(h.Spectrometer().Link().DeviceName(), QStringLiteral("COM2"));
        QVERIFY(h.FCW().MSpcCOM[1]->isChecked());
        QVERIFY(h.Connect());
        QVERIFY(h.RunToEnd());
        // Two finished runs, neither stored: the close asks.
        h.Operator.ExpectMessage(QStringLiteral("The last spectrum is not saved. Close anyway?"), mbYes);
        QVERIFY(h.FCW().close());
        QCOMPARE(h.Operator.Problems(), QString());
    }

    // A connection made again after a lost link sends the setup in use, not
    // the standard one: the run it was for goes on as it was.
    void reconnectKeepsTheSetupInUse()
    {
        TErrorBoxes boxes;
        QTemporaryDir acq;
        TFCWHarness h({acq.path(), acq.path(), acq.path(), QStringLiteral("COM1")}, 1024, TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        h.ConnectScripted();   // the standard setup: NMR 1H, Acc 1
        w.EPRResRB->click();
        w.AccUpDown->ClickTo(4);
        w.FNameEdit->setText(QStringLiteral("esr"));
        w.StartToolB->click();
        h.Feed(Pass({10, 20, 30}) + "D\r" + Pass({11, 21, 31}) + "D\r" + Pass({7}, false));
        h.Operator.ExpectMessage(LostCom1);
        h.Script().Drop();
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Operator.Done(); }));

        h.ConnectScripted();
        QCOMPARE(h.Setup().Mode(), EsrMode);
        QVERIFY(w.EPRResRB->isChecked());
        QCOMPARE(w.AccUpDown->Position(), 4);
        // The two passes kept go on to four, without a question, with an ESR field sweep.
        w.MContinueAcc->trigger();
        QCOMPARE(h.TakeSent(), QStringLiteral("F0|"));
        QCOMPARE(h.Run().Pass(), 3);
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void serviceWindowSendNamesTheLoss()
    {
        TErrorBoxes boxes;
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.ConnectScripted();
        TFService& srv = *h.Windows->FService;
        h.Operator.ExpectModal([&](QDialog&) {
            h.Operator.ExpectMessage(LostCom1);
            h.Script().Drop();
            QVERIFY(TFCWHarness::WaitFor([&] { return !h.Spectrometer().Connected(); }));
            h.Operator.ExpectMessage(LostCom1);
            srv.MsgEdit->setText(QStringLiteral("Z"));
            srv.SendButton->click();
        });
        h.FCW().MService->trigger();
        QCOMPARE(h.Operator.Messages, (QStringList{LostCom1, LostCom1}));
        QCOMPARE(h.Operator.Problems(), QString());
    }
};

QTEST_MAIN(TestFCWLinkLoss)
#include "test_FCWLinkLoss.moc"
