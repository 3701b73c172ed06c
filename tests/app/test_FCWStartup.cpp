// Start-up, settings file, closing and the window's accessibility.

#include "FCWHarness.h"
#include "Chart.h"
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
        TFCWHarness h({}, 1024);
        QCOMPARE(h.FCW().CrossHalfHeight, 191);
        QCOMPARE(h.FCW().CrossHalfWidth, 446);
    }

    void withoutSettingsFileDefaultsAreUsedAndCloseWritesTenLines()
    {
        QString dir;
        {
            TFCWHarness h;
            dir = h.Dir();
            QCOMPARE(h.FCW().ComPort1.DeviceName(), QStringLiteral("COM1"));
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
        QCOMPARE(h.FCW().ComPort1.DeviceName(), QStringLiteral("COM5"));
        for (QAction* a : h.FCW().MSpcCOM)
            QVERIFY(!a->isChecked());
        TFCWHarness h2({QString(), QString(), QString(), QStringLiteral("COM3")});
        QVERIFY(h2.FCW().MSpcCOM[2]->isChecked());
    }

    void closeIsRefusedWhileMeasuring()
    {
        TFCWHarness h;
        for (int state : {esSettingUp, esRunning, esPassEnded, esAborting}) {
            h.FCW().ExpState = state;
            h.Operator.ExpectMessage(QStringLiteral("Measure in progress"));
            QVERIFY(!h.FCW().close());
            QVERIFY(h.FCW().isVisible());
        }
        for (int state : {esAborted, esFinished, esIdle}) {
            h.FCW().ExpState = state;
            h.FCW().show();
            QVERIFY(h.FCW().close());
            QVERIFY(!h.FCW().isVisible());
        }
        QCOMPARE(h.Operator.Problems(), QString());
    }

    void loopingAlarmStopsOnClicks()
    {
        TFCWHarness h;
        h.FCW().AlarmLooping = true;
        QTest::mouseClick(h.FCW().Fid, Qt::LeftButton);
        QVERIFY(!h.FCW().AlarmLooping);
        QCOMPARE(h.Sounds.Stops, 1);
        h.FCW().AlarmLooping = true;
        QTest::mouseClick(reinterpret_cast<QWidget*>(h.FCW().ReceiverBox), Qt::LeftButton);
        QVERIFY(!h.FCW().AlarmLooping);
        h.FCW().AlarmLooping = true;
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
