// Start-up, settings file, closing and the window's accessibility.

#include "FCWHarness.h"
#include "Chart.h"
#include "ScriptedPass.h"
#include "UMMarker.h"
#include "UpDown.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

class TestFCWStartup : public QObject {
    Q_OBJECT

    static QList<QByteArray> IniLines(const QString& dir)
    {
        QFile f(dir + QStringLiteral("/MERIL.INI"));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return f.readAll().split('\n');
    }

private slots:
    void screenScale()
    {
        QCOMPARE(double(ComputeScreenScale(800)), 1.0);
        QCOMPARE(double(ComputeScreenScale(640)), 1.0);
        QVERIFY(qAbs(double(ComputeScreenScale(1024)) - 1.3952) < 1e-9);
        // The marker of a finished run has the cross of the screen's scale.
        TFCWHarness h(TFCWHarness::ProgramDirIni(), 1024, TFCWHarness::ScriptedLink);
        h.ConnectScripted();
        h.FCW().StartToolB->click();
        h.Feed(Pass({1, 2, 3}) + "D\r");
        QCOMPARE(Marker1.CrossHalfHeight, 191);
        QCOMPARE(Marker1.CrossHalfWidth, 446);
    }

    void withoutSettingsFileDefaultsAreUsedAndCloseWritesTenLines()
    {
        QString dir;
        {
            TFCWHarness h(TFCWHarness::NoSettingsFile);
            dir = h.Dir();
            QCOMPARE(h.Spectrometer().Link().DeviceName(), QStringLiteral("COM1"));
            QVERIFY(h.FCW().MSpcCOM[0]->isChecked());
            QVERIFY(h.FCW().windowTitle().endsWith(QStringLiteral("            Setup: ")));
            QVERIFY(IniLines(dir).isEmpty());  // read once at start, written only at close
            h.FCW().close();
            const QList<QByteArray> lines = IniLines(dir);
            QCOMPARE(lines.size(), 11);        // ten lines, each ended by CR LF
            for (int i = 0; i < 10; ++i)
                QVERIFY(lines[i].endsWith('\r'));
            QCOMPARE(lines[0], QByteArray("\r"));          // setup directory empty
            QCOMPARE(lines[3], QByteArray("COM1\r"));
            QCOMPARE(lines[5], QByteArray("0,1,0\r"));
            QCOMPARE(lines[7], QByteArray("0,1,0\r"));
            QCOMPARE(lines[9], QByteArray("0,0,1\r"));
        }
    }

    void portFromSettingsFile()
    {
        TFCWHarness h({QString(), QString(), QString(), QStringLiteral("COM5")});
        QCOMPARE(h.Spectrometer().Link().DeviceName(), QStringLiteral("COM5"));
        for (QAction* a : h.FCW().MSpcCOM)
            QVERIFY(!a->isChecked());
        TFCWHarness h2({QString(), QString(), QString(), QStringLiteral("COM3")});
        QVERIFY(h2.FCW().MSpcCOM[2]->isChecked());
    }

    // Setting up, running, ending and aborting a pass: "Measure in progress".
    void closeIsRefusedWhileMeasuring()
    {
        TFCWHarness h(TFCWHarness::ScriptedLink);
        h.ConnectScripted();
        h.FCW().StartToolB->click();
        for (const char* reply : {"A0002\r", "B\r", "V 00000000\rV 00000000\rC\r", "F\r"}) {
            h.Feed(reply);
            h.Operator.ExpectMessage(QStringLiteral("Measure in progress"));
            QVERIFY(!h.FCW().close());
            QVERIFY(h.FCW().isVisible());
        }
        h.Feed("D\r");
        QCOMPARE(h.Run().State(), int(esAborted));
        QVERIFY(h.FCW().close());
        QVERIFY(!h.FCW().isVisible());
        QCOMPARE(h.Operator.Problems(), QString());
    }

    // A looping accumulation-end sound (flags 0,0,1 of its line) stops on a
    // click on the chart or a group box, and at close.
    void loopingAlarmStopsOnClicks()
    {
        TFCWHarness h({QString(), QString(), QString(), QStringLiteral("COM1"), QString(), QStringLiteral("1,1,0"),
                       QString(), QStringLiteral("1,1,0"), QStringLiteral("alarm.wav"), QStringLiteral("0,0,1")},
                      1024, TFCWHarness::ScriptedLink);
        h.ConnectScripted();
        const auto runToTheAlarm = [&] {
            h.FCW().StartToolB->click();
            h.Feed(Pass({1, 2}) + "D\r");
            QCOMPARE(h.Sounds.Played.back().Mode, TSoundMode::Loop);
        };
        runToTheAlarm();
        QTest::mouseClick(h.FCW().Fid, Qt::LeftButton);
        QCOMPARE(h.Sounds.Stops, 1);
        QTest::mouseClick(h.FCW().Fid, Qt::LeftButton);
        QCOMPARE(h.Sounds.Stops, 1);     // stopped already
        runToTheAlarm();
        QTest::mouseClick(reinterpret_cast<QWidget*>(h.FCW().ReceiverBox), Qt::LeftButton);
        QCOMPARE(h.Sounds.Stops, 2);
        runToTheAlarm();
        h.Operator.ExpectMessage(QStringLiteral("The last spectrum is not saved. Close anyway?"), mbYes);
        h.FCW().close();
        QCOMPARE(h.Sounds.Stops, 3);
    }

    void controlsCarryTheirNames()
    {
        TFCWHarness h;
        QCOMPARE(h.FCW().StartToolB->accessibleName(), QStringLiteral("Start"));
        QCOMPARE(h.FCW().HoldToolB->accessibleName(), QStringLiteral("Hold"));
        QCOMPARE(h.FCW().AbortToolB->accessibleName(), QStringLiteral("Abort"));
        QCOMPARE(h.FCW().FNameEdit->toolTip(), QStringLiteral("File name"));
        QCOMPARE(h.FCW().VertMTB->toolTip(), QStringLiteral("Vertical marker"));
        // Every button and field of the window is named for assistive technology.
        for (QWidget* w : h.FCW().findChildren<QWidget*>()) {
            if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<TUpDown*>(w))
                QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName() + QLatin1Char(' ') + w->parentWidget()->objectName()));
        }
    }
};

QTEST_MAIN(TestFCWStartup)
#include "test_FCWStartup.moc"
