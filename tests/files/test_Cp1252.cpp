#include "Cp1252.h"

#include <QTest>

class TestCp1252 : public QObject {
    Q_OBJECT
private slots:
    void EveryByteSurvivesARoundTrip()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = FromCp1252(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(ToCp1252(text), all);
        QVERIFY(FitsCp1252(text));
    }

    void SignsOfTheFilesHaveTheirBytes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("degree") << QStringLiteral("180\u00B0") << QByteArray("180\xB0");
        QTest::newRow("superscript two") << QStringLiteral("Gs\u00B2") << QByteArray("Gs\xB2");
        QTest::newRow("bullet") << QStringLiteral("\u2022 X") << QByteArray("\x95 X");
        QTest::newRow("euro") << QStringLiteral("\u20AC") << QByteArray("\x80");
        QTest::newRow("umlaut") << QStringLiteral("J\u00FCrgen") << QByteArray("J\xFCrgen");
        QTest::newRow("undefined byte") << QStringLiteral("\u0081") << QByteArray("\x81");
    }
    void SignsOfTheFilesHaveTheirBytes()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(ToCp1252(text), bytes);
        QCOMPARE(FromCp1252(bytes), text);
    }

    void CharactersOutside1252BecomeOneQuestionMarkEach()
    {
        QCOMPARE(ToCp1252(QStringLiteral("\u03A9=1")), QByteArray("?=1"));
        QCOMPARE(ToCp1252(QString::fromUtf8("a\xF0\x9F\x98\x80" "b")), QByteArray("a?b"));
        QCOMPARE(ToCp1252(QString(QChar(0xD800))), QByteArray("?"));
        QVERIFY(!FitsCp1252(QStringLiteral("\u03A9")));
    }

    void SettingTextsKeepWhat1252CannotHold()
    {
        const QString cyrillic = QStringLiteral("/home/\u0418\u0432\u0430\u043D");
        QCOMPARE(ToCp1252OrUtf8(cyrillic), cyrillic.toUtf8());
        QCOMPARE(FromCp1252OrUtf8(cyrillic.toUtf8()), cyrillic);
        // A text written in 1252 is read as 1252, also when it is plain ASCII.
        QCOMPARE(ToCp1252OrUtf8(QStringLiteral("C:\\J\u00FCrgen")), QByteArray("C:\\J\xFCrgen"));
        QCOMPARE(FromCp1252OrUtf8("C:\\J\xFCrgen"), QStringLiteral("C:\\J\u00FCrgen"));
        QCOMPARE(FromCp1252OrUtf8("COM1"), QStringLiteral("COM1"));
        // A UTF-8 sequence cut short is not UTF-8.
        QCOMPARE(FromCp1252OrUtf8("a\xC3"), QStringLiteral("a\u00C3"));
        // A text whose 1252 bytes look like UTF-8 is written as UTF-8.
        const QString lookalike = QStringLiteral("\u00C3\u00A9");
        QCOMPARE(ToCp1252OrUtf8(lookalike), lookalike.toUtf8());
        QCOMPARE(FromCp1252OrUtf8(ToCp1252OrUtf8(lookalike)), lookalike);
    }
};

QTEST_MAIN(TestCp1252)
#include "test_Cp1252.moc"
