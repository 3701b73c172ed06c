#include "DirDlgB.h"
#include "DirectoryDialog.h"
#include "ScriptedOperator.h"
#include "Screenshot.h"

#include <QApplication>
#include <QFileInfo>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
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
    // The field gets the focus as from a click. Where the window system lets
    // the window be active (not on a bare X server without a window manager)
    // the focus really moves; the field is told either way.
    void Focus(QWidget* w)
    {
        w->setFocus(Qt::MouseFocusReason);
        if (!w->hasFocus()) {
            QFocusEvent in(QEvent::FocusIn, Qt::MouseFocusReason);
            QApplication::sendEvent(w, &in);
        }
    }
    void Show(QWidget& w)
    {
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowExposed(&w));
    }

private slots:
    void init()
    {
        Show(FDialog);
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
        Show(FDialog);
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

    // The directory dialog the program shows takes a directory that does not
    // exist and creates it once the operator agrees.
    void SelectionCreatesANewDirectoryAfterAsking()
    {
        QTemporaryDir root;
        TDirectoryDialog dialog(nullptr, root.path());
        dialog.open();
        QVERIFY(dialog.NameEdit() && dialog.ChooseButton());
        QTest::keyClicks(dialog.NameEdit(), QStringLiteral("new/sub"));
        SaveScreenshot(dialog, "TDirectoryDialog");
        QTRY_VERIFY(dialog.ChooseButton()->isEnabled());
        const QString wanted = root.filePath(QStringLiteral("new/sub"));
        FOperator.ExpectMessage(QStringLiteral("The directory \"%1\" does not exist. Create it?").arg(wanted), mbNo);
        dialog.ChooseButton()->click();
        QVERIFY(dialog.isVisible());   // not created: the operator may choose again
        QVERIFY(!QFileInfo::exists(wanted));
        FOperator.ExpectMessage(QStringLiteral("does not exist. Create it?"), mbYes);
        QTest::keyClick(dialog.NameEdit(), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(QFileInfo(wanted).isDir());
        QCOMPARE(dialog.selectedFiles(), QStringList{wanted});
        // An existing directory is taken without a question.
        TDirectoryDialog again(nullptr, root.path());
        again.open();
        QTest::keyClicks(again.NameEdit(), QStringLiteral("new"));
        QTRY_VERIFY(again.ChooseButton()->isEnabled());
        again.ChooseButton()->click();
        QCOMPARE(again.result(), int(QDialog::Accepted));
        QCOMPARE(again.selectedFiles(), QStringList{root.filePath(QStringLiteral("new"))});
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
