#include "Logo.h"
#include "Screenshot.h"

#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>

class TestLogo : public QObject {
    Q_OBJECT
private slots:
    void ShowsItselfCentredOnTopWithoutBorder()
    {
        QPointer<TMLogo> logo = new TMLogo;
        QVERIFY(logo->isVisible());
        QVERIFY(logo->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(logo->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(logo->geometry().center(), logo->screen()->availableGeometry().center());
        QCOMPARE(logo->Timer1->interval(), 8000);
        QVERIFY(!logo->Timer1->isActive());

        const QImage image = SaveScreenshot(*logo, "TMLogo");
        QCOMPARE(image.pixelColor(1, 1), QColor(Qt::black));
        const QPoint inPanel = logo->Panel1->geometry().topLeft() + QPoint(12, 12);
        QCOMPARE(image.pixelColor(inPanel * image.devicePixelRatio()), QColor(255, 255, 0));
        delete logo;
    }

    void TimerClosesAndDeletesIt()
    {
        QPointer<TMLogo> logo = new TMLogo;
        logo->Timer1->setInterval(10);  // the main window starts it; 8 s are not waited for here
        logo->Timer1->start();
        QTRY_VERIFY(logo.isNull());
    }

    void ClickOnThePictureClosesIt()
    {
        QPointer<TMLogo> logo = new TMLogo;
        logo->Timer1->start();
        QTest::mouseClick(logo->Image1, Qt::LeftButton);
        QVERIFY(!logo->isVisible());
        QTRY_VERIFY(logo.isNull());
    }

    void WaitsForItsParentAndShowsOverIt()
    {
        QWidget main;
        main.setGeometry(100, 80, 900, 700);
        QPointer<TMLogo> logo = new TMLogo(&main);
        QVERIFY(!logo->isVisible());
        main.show();
        QTRY_VERIFY(logo->isVisible());
        QCOMPARE(logo->geometry().center(), main.frameGeometry().center());
        // Any key in the program closes it.
        QTest::keyClick(&main, Qt::Key_A);
        QTRY_VERIFY(logo.isNull());
    }

    void ClickAnywhereClosesIt()
    {
        QWidget main;
        main.resize(600, 400);
        QPointer<TMLogo> logo = new TMLogo(&main);
        main.show();
        QTRY_VERIFY(logo->isVisible());
        QTest::mouseClick(&main, Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_VERIFY(logo.isNull());
    }
};

QTEST_MAIN(TestLogo)
#include "test_Logo.moc"
