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

    void TextsOfTheBox()
    {
        const TMUsersAssist about(FDeviceConnected);
        QCOMPARE(about.windowTitle(), QStringLiteral("About"));
        QCOMPARE(about.Label1->text(), QStringLiteral("Meril"));
        QCOMPARE(about.Label2->text(), QStringLiteral("program for CW NMR and ESR spectrometer"));
        QCOMPARE(about.Label3->text(), QStringLiteral("control, data acquisition and processing"));
        QVERIFY(about.Label4->text().contains(QStringLiteral("version 1.")));
        QCOMPARE(about.DevicePrgVerLab->text(), QStringLiteral("device internal control program v."));
        QCOMPARE(about.Label1->palette().color(QPalette::WindowText), QColor(Qt::red));
        QVERIFY(about.Label1->font().bold() && about.Label1->font().italic());
    }
};

QTEST_MAIN(TestUsersAssist)
#include "test_UsersAssist.moc"
