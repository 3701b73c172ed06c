// Connecting to the instrument: probe, identification, calibration, field
// source and the parameters sent after it, "Device not ready", the power line.

#include "ComPort.h"
#include "FCWHarness.h"
#include "MenuOf.h"
#include "Freq.h"
#include "UpDown.h"

#include <QAction>
#include <QGroupBox>
#include <QMenu>
#include <QScrollBar>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

class TestFCWConnection : public QObject {
    Q_OBJECT

private slots:
    void connectsAndSendsTheSetupAfterTheFieldSource()
    {
        TFCWHarness h;
        h.FCW().MLink->trigger();
        QVERIFY(!h.FCW().isEnabled());
        QVERIFY(h.FCW().windowTitle().startsWith(QStringLiteral("CW NMR/ESR Spectrometer- Checking device ready")));
        QVERIFY(!h.FCW().MLink->isEnabled());
        QCOMPARE(h.Panel(3), QStringLiteral("Magnetic Field Source: not connected"));
        h.Tick();  // first probe
        QCOMPARE(h.TakeSent(), QStringLiteral("Z|"));
        QVERIFY(h.Spectrometer().Connected());
        QCOMPARE(h.Spectrometer().UnitSerial(), QStringLiteral("0042"));
        h.Tick();  // the connection is made: confirm, and the instrument reports its field source
        QVERIFY(h.FCW().isEnabled());
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Spectrometer().FieldSource() == 4; }));
        // The stored setup (built-in defaults: frequency sweep, all positions at their minimum)
        // reaches the instrument in the order of ApplySetup.
        QCOMPARE(h.TakeSent(),
                 QStringLiteral("Y|D2FF|K0000C350|R005|G00|B107FF|J00D59F80|E00|H000|P0|S1|"));
        QVERIFY(h.FCW().windowTitle().startsWith(
            QStringLiteral("CW NMR/ESR Spectrometer- Unit Serial #0042            SETUP and ACQUISITION")));
        QCOMPARE(h.Panel(3), QStringLiteral("Magnetic Field Source: Magnet & Coils"));
        QCOMPARE(h.Panel(2), QStringLiteral("Spectrometer: connected"));
        QCOMPARE(ZeroOffset[0], 0x0802 - 2047);
        QCOMPARE(ZeroOffset[3], 0x0801 - 2047);
        QCOMPARE(h.Operator.Problems(), QString());
    }

    // Start pressed while the connection is checked (by a key or an assistive
    // tool; the button is disabled) sends no sweep: the run begins once the
    // instrument has its setup.
    void startDuringConnectWaitsForTheConnection()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        TFCW& w = h.FCW();
        w.MLink->trigger();
        h.Feed("X07FF07FF\r");   // connected; the field source is not reported yet
        QVERIFY(h.Spectrometer().Connected());
        QVERIFY(!w.StartToolB->isEnabled());
        h.Script().ClearSent();
        h.Operator.ExpectMessage(QStringLiteral("The connection is not made yet"));
        QVERIFY(QMetaObject::invokeMethod(&w, "StartToolBClick"));
        QCOMPARE(h.TakeSent(), QString());
        h.Tick();
        h.Feed("M04\r");
        h.Script().ClearSent();
        w.StartToolB->click();
        QCOMPARE(h.TakeSent(), QStringLiteral("F1|"));
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void portMenuOffersDevicePaths()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath(QStringLiteral("adapter"));
        TFCWHarness h({QString(), QString(), QString(), link});
        emit MenuOf(h.FCW().MLink)->aboutToShow();   // the menu lists the devices as it opens
        QAction* item = nullptr;
        for (QAction* a : h.FCW().MSpcDevices->actions())
            if (a->text() == link)
                item = a;
        QVERIFY(item);
        QVERIFY(item->isChecked());
        h.FCW().MSpcCOM[1]->trigger();
        QCOMPARE(h.Spectrometer().Link().DeviceName(), QStringLiteral("COM2"));
        QVERIFY(h.FCW().MSpcCOM[1]->isChecked());
        // The devices are offered again while connecting is possible only.
        h.FCW().MLink->trigger();
        QVERIFY(!h.FCW().MSpcDevices->isEnabled());
    }

    void identificationAloneDoesNotConnectCalibrationDoes()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.FCW().MLink->trigger();
        h.Feed("Z00422.0\r");
        QVERIFY(!h.Spectrometer().Connected());
        QCOMPARE(h.Spectrometer().DataDivisor(), 76000);
        QCOMPARE(h.FCW().ModAmpUpDown->Max(), 12);
        QVERIFY(h.FCW().MCurrentdirection->menuAction()->isEnabled());
        h.Feed("X08000801\r");
        QVERIFY(h.Spectrometer().Connected());
        QCOMPARE(ZeroOffset[0], 1);
        QCOMPARE(ZeroOffset[1], 1);
        QCOMPARE(ZeroOffset[3], 2);
    }

    void calibrationWithoutIdentificationConnectsWithEmptySerial()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.FCW().MLink->trigger();
        h.Feed("V 00001000\rX07FF07FF\r");   // lines before the connection are not analysed
        QVERIFY(h.Spectrometer().Connected());
        QCOMPARE(h.Run().Points(), 0);
        h.Tick();
        QVERIFY(h.FCW().windowTitle().startsWith(QStringLiteral("CW NMR/ESR Spectrometer- Unit Serial #            ")));
    }

    void deviceNotReadyAfterFourProbes()
    {
        TFCWHarness h;
        h.Link().SetInstrumentPresent(false);
        h.FCW().MLink->trigger();
        for (int i = 0; i < 4; ++i)
            h.Tick();
        QCOMPARE(h.TakeSent(), QStringLiteral("Z|Z|Z|Z|"));
        h.Operator.ExpectMessage(QStringLiteral("Device not ready"), mbRetry);
        h.Tick();
        QVERIFY(h.FCW().Timer1->isActive());    // Retry: four more probes
        for (int i = 0; i < 4; ++i)
            h.Tick();
        QCOMPARE(h.TakeSent(), QStringLiteral("Z|Z|Z|Z|"));
        h.Operator.ExpectMessage(QStringLiteral("Device not ready"), mbIgnore);
        h.Tick();
        // The detail names the port and what to check.
        QCOMPARE(h.Operator.MessageDetails.last(),
                 QStringLiteral("No answer on %1: check the instrument's power and cable.")
                     .arg(TComPort::DevicePath(h.Spectrometer().Link().DeviceName())));
        QVERIFY(!h.Spectrometer().Link().Active());
        QVERIFY(h.FCW().isEnabled());
        QVERIFY(h.FCW().MLink->isEnabled());
        QCOMPARE(h.Panel(2), QStringLiteral("Spectrometer: disconnected"));
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void failedOpenOffersConnectAgain()
    {
        TFCWHarness h;
        h.Link().SetOpenError(QStringLiteral("No such file or directory"));
        h.Operator.ExpectMessage(QStringLiteral("Cannot open %1: No such file or directory. Choose the instrument's "
                                                "port under Spectrometer.")
                                     .arg(TComPort::DevicePath(h.Spectrometer().Link().DeviceName())));
        SetErrorReporter([](const QString& text) { MessageDlg(text, TMsgType::Error, mbOK); });
        h.FCW().MLink->trigger();
        SetErrorReporter(nullptr);
        QVERIFY(h.FCW().MLink->isEnabled());
        QVERIFY(h.FCW().MSpcCOM[0]->isEnabled());
        QVERIFY(h.FCW().isEnabled());
        QVERIFY(!h.FCW().Timer1->isActive());
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void powerLine()
    {
        TFCWHarness h;
        QVERIFY(h.Connect());
        QVERIFY(h.Spectrometer().PowerOn());
        h.Operator.ExpectMessage(QStringLiteral("Spectrometer is OFF"));
        h.Link().SetPowered(false);
        QVERIFY(TFCWHarness::WaitFor([&] { return !h.Spectrometer().Connected(); }));
        QVERIFY(h.FCW().windowTitle().startsWith(QStringLiteral("CW NMR/ESR Spectrometer- Device not connected")));
        QCOMPARE(h.Panel(2), QStringLiteral("Spectrometer: disconnected"));
        QVERIFY(h.FCW().MLink->isEnabled());
        QVERIFY(h.Spectrometer().Link().Active());      // the port stays open
        // Another port cannot be chosen while the port is open; the menu keeps the one in use.
        h.Operator.ExpectMessage(QStringLiteral("Can't perform this operation on an open port"));
        SetErrorReporter([](const QString& text) { MessageDlg(text, TMsgType::Error, mbOK); });
        h.FCW().MSpcCOM[1]->trigger();
        SetErrorReporter(nullptr);
        QVERIFY(h.FCW().MSpcCOM[0]->isChecked());
        QVERIFY(!h.FCW().MSpcCOM[1]->isChecked());
        h.Operator.ExpectMessage(QStringLiteral("Spectrometer is ON"));
        h.Link().SetPowered(true);
        QVERIFY(TFCWHarness::WaitFor([&] { return h.Spectrometer().PowerOn(); }));
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void dsrAndCtsTogetherGiveOneMessage()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.FCW().MLink->trigger();
        QVERIFY(h.Spectrometer().PowerOn());
        // DSR with CTS is not "on": the instrument needs DSR alone.
        h.Operator.ExpectMessage(QStringLiteral("Spectrometer is OFF"));
        h.Script().SetModemStatus(msDSR | msCTS);
        QVERIFY(!h.Spectrometer().PowerOn());
        QCOMPARE(h.Operator.Messages.size(), 1);
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void fieldSources()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.FCW().MLink->trigger();
        h.Feed("X08000801\r");
        h.Tick();
        h.Feed("M01\r");   // electromagnet: NMR only
        QVERIFY(h.FCW().HydrogenRB->isEnabled());
        QVERIFY(!h.FCW().EPRResRB->isEnabled());
        QCOMPARE(h.Panel(3), QStringLiteral("Magnetic Field Source: Electromagnet"));
        h.Feed("M02\r");   // coils: ESR only; the NMR setup falls back to ESR
        QVERIFY(!h.FCW().HydrogenRB->isEnabled());
        QVERIFY(h.FCW().EPRResRB->isEnabled());
        QCOMPARE(h.Setup().Mode(), 3);
        h.Script().ClearSent();
        h.Feed("M02\r");   // the same code changes nothing
        QCOMPARE(h.Script().Sent(), QByteArray());
        h.Feed("M05\r");
        QVERIFY(!h.FCW().StartToolB->isEnabled());
        QVERIFY(!h.FCW().GainScrollBar->isEnabled());
        h.Feed("M09\r");   // not a code of the instrument: a wrong connection too
        QCOMPARE(h.Panel(3), QStringLiteral("Magnetic Field Source: Wrong connection"));
        h.Feed("M03\r");
        QCOMPARE(h.Panel(3), QStringLiteral("Magnetic Field Source: not connected"));
        QVERIFY(!h.FCW().AccUpDown->isEnabled());
        h.Feed("M04\r");
        QVERIFY(h.FCW().StartToolB->isEnabled());
        QVERIFY(h.FCW().AccUpDown->isEnabled());
        QVERIFY(!h.FCW().HoldToolB->isEnabled());
    }
};

QTEST_MAIN(TestFCWConnection)
#include "test_FCWConnection.moc"
