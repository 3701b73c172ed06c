// The real message boxes and file dialogs give the window that was active the
// keyboard back when they close, also without a window manager, so that the
// next key reaches the field it was typed in.

#include "Operator.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

class TestOperator : public QObject {
    Q_OBJECT

private slots:
    void keyboardComesBackAfterADialog_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("message box") << 0;
        QTest::newRow("file dialog") << 1;
        QTest::newRow("folder dialog") << 2;
    }
    void keyboardComesBackAfterADialog()
    {
        QFETCH(int, kind);
        QWidget window;
        auto* first = new QLineEdit(&window);
        auto* second = new QLineEdit(&window);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(first);
        layout->addWidget(second);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        second->setFocus();
        bool closed = false;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            if (auto* box = qobject_cast<QMessageBox*>(dialog))
                box->button(QMessageBox::Ok)->click();
            else
                qobject_cast<QDialog*>(dialog)->reject();
            closed = true;
            // Without a window manager nothing is active once the dialog is gone.
            QCoreApplication::processEvents();
            QApplication::setActiveWindow(nullptr);
        });
        TFileDialog files;
        switch (kind) {
        case 0: MessageDlg(QStringLiteral("Stored."), TMsgType::Information, mbOK); break;
        case 1: files.Execute(&window); break;
        default: Operator().SelectDirectory(QDir::tempPath(), &window); break;
        }
        QVERIFY(closed);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(QApplication::focusWidget(), second);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("7"));
        QCOMPARE(second->text(), QStringLiteral("7"));
    }
};

QTEST_MAIN(TestOperator)
#include "test_Operator.moc"
