#include "ScriptedOperator.h"
#include "Screenshot.h"
#include "UsersAssist.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

class TestUsersAssist : public QObject {
    Q_OBJECT
private:
    TScriptedOperator FOperator;
    bool FDeviceConnected = false;  // stands for the main window's flag

private slots:
    void DeviceProgramLineOnlyWhileConnected()
    {
        TMUsersAssist about(FDeviceConnected);
        about.DevicePrgVerLab->setText("device internal control program v.2.07");
        bool shownWhileOff = true;
        bool shownWhileOn = false;
        FOperator.ExpectModal([&](QDialog&) { shownWhileOff = about.DevicePrgVerLab->isVisible(); });
        Operator().ExecModal(about);
        FDeviceConnected = true;
        FOperator.ExpectModal([&](QDialog& d) {
            shownWhileOn = about.DevicePrgVerLab->isVisible();
            SaveScreenshot(d, "TMUsersAssist");
            about.OKBtn->click();
        });
        QCOMPARE(Operator().ExecModal(about), int(QDialog::Accepted));
        QVERIFY(!shownWhileOff);
        QVERIFY(shownWhileOn);
        QVERIFY(FOperator.Unexpected.isEmpty());
    }
};

QTEST_MAIN(TestUsersAssist)
#include "test_UsersAssist.moc"
