// The service window with the main window: the line monitor, the raw send,
// lines left unanalysed, the B0 tuning handed back and forth, and the
// settings only this window offers.

#include "FCWHarness.h"
#include "UService.h"
#include "UpDown.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

class TestFCWService : public QObject {
    Q_OBJECT

private slots:
    void monitorAndRawSend()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFService& srv = *h.Windows->FService;
        h.ConnectScripted();
        h.Feed("E0001\r");                   // the window is closed: not monitored
        h.FCW().TuningB0UpDown->ClickTo(25);
        h.TakeSent();
        h.Operator.ExpectModal([&](QDialog&) {
            // Showing sends the main window's B0 tuning.
            QCOMPARE(srv.SrvTuningB0Val->text(), QStringLiteral("25"));
            QCOMPARE(h.TakeSent(), QStringLiteral("B10818|"));
            h.Feed("H0\rE0042\r");
            QCOMPARE(srv.MsgMemo->toPlainText(), QStringLiteral("H0\nE0042"));
            // Not analysed while the box is checked: the error does not reach the status line.
            srv.NAnalMessCB->setChecked(true);
            h.Feed("E0077\r");
            QCOMPARE(h.Panel(4), QStringLiteral("Error: 0042"));
            srv.NAnalMessCB->setChecked(false);
            // The raw send goes out as typed, with a CR, and is not echoed.
            QCOMPARE(srv.MsgEdit->text(), QString());   // nothing to send until typed
            srv.MsgEdit->setText(QStringLiteral("G03"));
            srv.SendButton->click();
            srv.MsgEdit->clear();
            srv.SendButton->click();
            QCOMPARE(h.TakeSent(), QStringLiteral("G03||"));
            // Texts are Windows-1252 both ways, as in the files.
            srv.MsgEdit->setText(QStringLiteral("\u20AC\u00B0"));
            srv.SendButton->click();
            QCOMPARE(h.Script().Sent(), QByteArray("\x80\xB0\r"));
            h.TakeSent();
            h.Feed("\x80\x95\x9F\xB0\r");
            QVERIFY(srv.MsgMemo->toPlainText().endsWith(QStringLiteral("\n\u20AC\u2022\u0178\u00B0")));
            QTest::mouseDClick(srv.MsgMemo->viewport(), Qt::LeftButton);
            QVERIFY(srv.MsgMemo->toPlainText().isEmpty());
            // B0 moved here is taken over by the main window on closing.
            srv.B0IncUpDown->SetPosition(10);
            srv.B0IncUpDownClick();
            srv.SrvTuningB0UpDown->Click(TUpDown::btNext);
            QCOMPARE(h.TakeSent(), QStringLiteral("B10822|"));
        });
        h.FCW().MService->trigger();
        QCOMPARE(h.FCW().TuningB0UpDown->Position(), 35);
        QCOMPARE(h.TakeSent(), QStringLiteral("B10822|"));
        QVERIFY(h.FCW().TuningB0Val->text().contains(QStringLiteral("Gs")));
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void instrumentSettings()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFService& srv = *h.Windows->FService;
        h.ConnectScripted();
        h.Operator.ExpectModal([&](QDialog&) {
            h.TakeSent();
            QCOMPARE(srv.F2ModVal->text(), QStringLiteral("255"));   // until the first click
            srv.F2ModUpDown->Click(TUpDown::btPrev);
            QCOMPARE(srv.F2ModVal->text(), QStringLiteral("37.9 Hz"));
            srv.F2ModUpDown->SetPosition(128);
            srv.F2ModUpDownClick();
            QCOMPARE(srv.F2ModVal->text(), QStringLiteral("38.0 Hz"));
            srv.CalModeCB->click();
            srv.CalModeCB->click();
            srv.Button1->click();
            srv.Dir2RB->click();
            srv.Dir1RB->click();
            srv.SrvModAmpUpDown->Click(TUpDown::btNext);
            QCOMPARE(h.TakeSent(), QStringLiteral("T06DF|T06DA|X1|X0|X2|S0|S1|D1FE|"));
            // "Freq range" widens the main window's frequency arrows; nothing is sent.
            srv.FreqRngCB->click();
            QCOMPARE(h.FCW().FrequencyUpDown->Max(), 20000);
            QCOMPARE(h.FCW().FrequencyUpDown->Min(), -20000);
            srv.FreqRngCB->click();
            QCOMPARE(h.FCW().FrequencyUpDown->Max(), 2000);
            QCOMPARE(h.TakeSent(), QString());
        });
        h.FCW().MService->trigger();
        // The direction buttons here do not move the main window's menu check.
        QVERIFY(h.FCW().MCDirFWD->isChecked());
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void disconnectedSendsOnlyTheRawText()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFService& srv = *h.Windows->FService;
        h.Spectrometer().Link().Open();     // open, but no instrument has answered
        h.Operator.ExpectModal([&](QDialog&) {
            srv.SrvModAmpUpDown->Click(TUpDown::btNext);
            srv.Button1->click();
            srv.MsgEdit->setText(QStringLiteral("Z"));
            srv.SendButton->click();
            QCOMPARE(h.TakeSent(), QStringLiteral("Z|"));
        });
        h.FCW().MService->trigger();
        // On a closed port the raw send reports the link's error.
        h.Spectrometer().Link().Close();
        h.Operator.ExpectMessage(QStringLiteral("Can't perform this operation on a closed port"));
        SetErrorReporter([](const QString& text) { MessageDlg(text, TMsgType::Error, mbOK); });
        srv.SendButton->click();
        SetErrorReporter(nullptr);
        QCOMPARE(h.Operator.Problems(), QString());
    }
};

QTEST_MAIN(TestFCWService)
#include "test_FCWService.moc"
