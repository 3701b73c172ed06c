#include "DirDlgB.h"
#include "ScriptedOperator.h"
#include "Screenshot.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestDirDlgB : public QObject {
    Q_OBJECT
private:
    TScriptedOperator FOperator;
    TMDirectories FDialog;

    void Fill()
    {
        FDialog.SetupDirEdit->setText("/cfg");
        FDialog.AcqDirEdit->setText("/acq");
        FDialog.DOutDirEdit->setText("/out");
    }
    void Focus(QWidget* w)
    {
        w->setFocus();
        QTRY_VERIFY(w->hasFocus());
    }

private slots:
    void init()
    {
        FDialog.show();
        QApplication::setActiveWindow(&FDialog);
        QVERIFY(QTest::qWaitForWindowActive(&FDialog));
        Fill();
    }
    void cleanup()
    {
        FDialog.hide();
        FOperator.DirectoryStarts.clear();
        QVERIFY(FOperator.Unexpected.isEmpty());
        QVERIFY(FOperator.Done());
    }

    void FocusNamesTheField()
    {
        Focus(FDialog.DOutDirEdit);
        QCOMPARE(FDialog.FocusedDirEdit, 3);
        Focus(FDialog.SetupDirEdit);
        QCOMPARE(FDialog.FocusedDirEdit, 1);
        Focus(FDialog.AcqDirEdit);
        QCOMPARE(FDialog.FocusedDirEdit, 2);
    }

    void BrowseActsOnTheFieldThatLastHadTheFocus()
    {
        Focus(FDialog.AcqDirEdit);
        Focus(FDialog.OKBtn);  // the user clicked elsewhere meanwhile
        FOperator.ExpectSelectDirectory(QStringLiteral("/new/acq"));
        QTest::mouseClick(FDialog.BrowseBtn, Qt::LeftButton);
        QCOMPARE(FOperator.DirectoryStarts, QStringList{"/acq"});
        QCOMPARE(FDialog.AcqDirEdit->text(), QStringLiteral("/new/acq"));
        QCOMPARE(FDialog.SetupDirEdit->text(), QStringLiteral("/cfg"));
        QCOMPARE(FDialog.DOutDirEdit->text(), QStringLiteral("/out"));
        QCOMPARE(FDialog.FocusedDirEdit, 2);
    }

    void CancelledSelectionLeavesTheField()
    {
        Focus(FDialog.DOutDirEdit);
        FOperator.ExpectSelectDirectory(std::nullopt);
        FDialog.BrowseBtn->click();
        QCOMPARE(FDialog.DOutDirEdit->text(), QStringLiteral("/out"));
    }

    void FocusIsRememberedBetweenShowings()
    {
        Focus(FDialog.DOutDirEdit);
        Focus(FDialog.CancelBtn);
        FDialog.hide();
        FDialog.show();
        QApplication::setActiveWindow(&FDialog);
        QVERIFY(QTest::qWaitForWindowActive(&FDialog));
        QCOMPARE(FDialog.FocusedDirEdit, 3);
        SaveScreenshot(FDialog, "TMDirectories");
    }

    void WithoutAFocusedFieldBrowseChangesNothing()
    {
        TMDirectories fresh;  // never shown: no field had the focus
        fresh.SetupDirEdit->setText("/cfg");
        FOperator.ExpectSelectDirectory(QStringLiteral("/x"));
        fresh.BrowseBtnClick();
        QCOMPARE(FOperator.DirectoryStarts, QStringList{QString()});
        QCOMPARE(fresh.SetupDirEdit->text(), QStringLiteral("/cfg"));
    }

    void OkAndCancelCloseWithTheirResults()
    {
        FOperator.ExpectModal([](QDialog& d) { static_cast<TMDirectories&>(d).OKBtn->click(); });
        QCOMPARE(Operator().ExecModal(FDialog), int(QDialog::Accepted));
        FOperator.ExpectModal([](QDialog& d) { static_cast<TMDirectories&>(d).CancelBtn->click(); });
        QCOMPARE(Operator().ExecModal(FDialog), int(QDialog::Rejected));
        QCOMPARE(FDialog.windowTitle(), QStringLiteral("Preferences"));
        QCOMPARE(FDialog.AcqDirEdit->accessibleName(), QStringLiteral("Acquisition directory:"));
        QCOMPARE(FDialog.BrowseBtn->accessibleName(), QStringLiteral("Browse"));
    }
};

QTEST_MAIN(TestDirDlgB)
#include "test_DirDlgB.moc"
