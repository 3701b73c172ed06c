#include "DlgBox1.h"
#include "ScriptedOperator.h"
#include "Screenshot.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestDlgBox1 : public QObject {
    Q_OBJECT
private:
    TScriptedOperator FOperator;
    QLineEdit FComment;  // stands for the main window's comment field
    TMDialogBox FDialog;

    // Shows the comment entry as the main window does and lets act work in it.
    int ShowComment(const std::function<void(TMDialogBox&)>& act)
    {
        FOperator.ExpectModal([&](QDialog& d) { act(static_cast<TMDialogBox&>(d)); });
        FDialog.Tag = 1;
        FDialog.CommentEdit = &FComment;
        return Operator().ExecModal(FDialog);
    }

private slots:
    void cleanup()
    {
        QVERIFY(FOperator.Unexpected.isEmpty());
        QVERIFY(FOperator.Done());
    }

    void OkTakesTheEditedComment()
    {
        FComment.setText("old comment");
        const int result = ShowComment([](TMDialogBox& d) {
            QCOMPARE(d.windowTitle(), QStringLiteral("Comment"));
            QCOMPARE(d.DlgBoxLabel->text(), QStringLiteral("Enter comment:"));
            QCOMPARE(d.DlgBoxEdit->text(), QStringLiteral("old comment"));
            d.DlgBoxEdit->clear();
            QTest::keyClicks(d.DlgBoxEdit, "sample 2, 20 \u00B0C");
            SaveScreenshot(d, "TMDialogBox");
            d.DlgBoxOK->click();
        });
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(FComment.text(), QStringLiteral("sample 2, 20 \u00B0C"));
    }

    void CancelLeavesTheCommentUnchanged()
    {
        FComment.setText("kept");
        const int result = ShowComment([](TMDialogBox& d) {
            QTest::keyClick(d.DlgBoxEdit, Qt::Key_End);
            QTest::keyClicks(d.DlgBoxEdit, " and more");
            d.DlgBoxCancel->click();
        });
        QCOMPARE(result, int(QDialog::Rejected));
        QCOMPARE(FComment.text(), QStringLiteral("kept"));
    }

    void AtMost250CharactersCanBeTyped()
    {
        FComment.clear();
        ShowComment([](TMDialogBox& d) {
            QTest::keyClicks(d.DlgBoxEdit, QString(300, 'c'));
            d.DlgBoxOK->click();
        });
        QCOMPARE(FComment.text(), QString(250, 'c'));
    }

    void ALongerCommentFromTheMainWindowIsNotCut()
    {
        FComment.setText(QString(300, 'x'));
        ShowComment([](TMDialogBox& d) {
            QTest::keyClick(d.DlgBoxEdit, Qt::Key_End);
            QTest::keyClicks(d.DlgBoxEdit, "y");  // no room for more
            d.DlgBoxOK->click();
        });
        QCOMPARE(FComment.text(), QString(300, 'x'));
    }
};

QTEST_MAIN(TestDlgBox1)
#include "test_DlgBox1.moc"
