#include "AudioDlgB.h"
#include "ScriptedOperator.h"
#include "Screenshot.h"
#include "RecordingSoundPlayer.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

namespace {

TSoundEvents Sounds()
{
    return {TSoundEvent{"/s/start.wav", 0, 1, 0}, TSoundEvent{"/s/end.wav", 1, 1, 0},
            TSoundEvent{"/s/acc.wav", 0, 0, 1}};
}

} // namespace

class TestAudioDlgB : public QObject {
    Q_OBJECT
private:
    TScriptedOperator FOperator;
    TMAudioDlgBox FDialog;

    // The main window's use: fill the copy, show, and take the copy back after OK.
    int Show(const std::function<void(TMAudioDlgBox&)>& act)
    {
        FDialog.EventSounds = Sounds();
        FOperator.ExpectModal([&](QDialog& d) { act(static_cast<TMAudioDlgBox&>(d)); });
        return Operator().ExecModal(FDialog);
    }

private slots:
    void cleanup()
    {
        QVERIFY(FOperator.Unexpected.isEmpty());
        QVERIFY(FOperator.Done());
    }

    void ShowingStartsAtSweepStart()
    {
        Show([](TMAudioDlgBox& d) {
            QVERIFY(d.ExpStartRB->isChecked());
            QCOMPARE(d.ActiveEvent, 1);
            QCOMPARE(d.SoundNameEdit->text(), QStringLiteral("/s/start.wav"));
            QVERIFY(!d.SoundOFF->isChecked());
            QVERIFY(d.SoundSBeep->isChecked());
            QVERIFY(!d.SoundSBeep->isEnabled());
            SaveScreenshot(d, "TMAudioDlgBox");
        });
        QCOMPARE(FDialog.windowTitle(), QStringLiteral("Audio"));
    }

    void EachEventKeepsItsEditsAcrossSwitches()
    {
        const int result = Show([](TMAudioDlgBox& d) {
            d.SoundNameEdit->setText("/s/new-start.wav");
            d.SoundOFF->click();
            QTest::mouseClick(d.ExpStopRB, Qt::LeftButton);
            QCOMPARE(d.SoundNameEdit->text(), QStringLiteral("/s/acc.wav"));
            QVERIFY(d.SoundSBeep->isEnabled());
            d.SoundSBeep->click();
            d.SoundNameEdit->setText("/s/new-acc.wav");
            QTest::mouseClick(d.ExpStartRB, Qt::LeftButton);
            QCOMPARE(d.SoundNameEdit->text(), QStringLiteral("/s/new-start.wav"));
            QVERIFY(d.SoundOFF->isChecked());
            QTest::mouseClick(d.ExpStopRB, Qt::LeftButton);
            d.OKBtn->click();
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QVERIFY((FDialog.EventSounds[0] == TSoundEvent{"/s/new-start.wav", 1, 1, 0}));
        QVERIFY((FDialog.EventSounds[1] == Sounds()[1]));
        QVERIFY((FDialog.EventSounds[2] == TSoundEvent{"/s/new-acc.wav", 0, 1, 1}));
    }

    void CancelStillStoresIntoTheCopy()
    {
        const int result = Show([](TMAudioDlgBox& d) {
            QTest::mouseClick(d.ExpRunRB, Qt::LeftButton);
            d.SoundNameEdit->setText("/s/other-end.wav");
            d.CancelBtn->click();
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(FDialog.EventSounds[1].FileName, QStringLiteral("/s/other-end.wav"));
        QCOMPARE(FDialog.ActiveEvent, 1);
    }

    void DisabledSingleSurvivesARoundTrip()
    {
        Show([](TMAudioDlgBox& d) {
            QTest::mouseClick(d.ExpRunRB, Qt::LeftButton);
            QVERIFY(!d.SoundSBeep->isEnabled());
            QTest::mouseClick(d.ExpStopRB, Qt::LeftButton);
            QVERIFY(d.SoundSBeep->isEnabled());
            QTest::mouseClick(d.ExpRunRB, Qt::LeftButton);
            QVERIFY(!d.SoundSBeep->isEnabled());
            QVERIFY(d.SoundSBeep->isChecked());
            d.OKBtn->click();
        });
        QVERIFY(FDialog.EventSounds == Sounds());
    }

    void BrowsePutsTheChosenFileIntoTheName()
    {
        Show([this](TMAudioDlgBox& d) {
            FOperator.ExpectFileDialog(QStringLiteral("/snd/bell.wav"));
            FOperator.ExpectFileDialog(std::nullopt);
            d.Button1->click();
            QCOMPARE(d.SoundNameEdit->text(), QStringLiteral("/snd/bell.wav"));
            d.Button1->click();
            QCOMPARE(d.SoundNameEdit->text(), QStringLiteral("/snd/bell.wav"));
            d.OKBtn->click();
        });
        QCOMPARE(FOperator.FileDialogs.size(), 2);
        QCOMPARE(FOperator.FileDialogs[0].Title, QStringLiteral("Select sound file"));
        QCOMPARE(FOperator.FileDialogs[0].Filter, QStringLiteral("Sound (*.wav)|*.wav"));
        QCOMPARE(FDialog.EventSounds[0].FileName, QStringLiteral("/snd/bell.wav"));
    }

    void TestButtonPlaysTheNamedFileAsynchronously()
    {
        TRecordingSoundPlayer player;
        Show([](TMAudioDlgBox& d) {
            d.SoundNameEdit->setText("/s/typed.wav");
            d.BitBtn1->click();
        });
        QCOMPARE(player.Played.size(), std::size_t(1));
        QCOMPARE(player.Played[0].File, QStringLiteral("/s/typed.wav"));
        QVERIFY(player.Played[0].Mode == TSoundMode::Async);
    }
};

QTEST_MAIN(TestAudioDlgB)
#include "test_AudioDlgB.moc"
