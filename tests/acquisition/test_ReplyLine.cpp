// The instrument's reply lines read field by field, as ParseReply reads them:
// either case of hex digits, every hold character, every flag character,
// two's-complement values, and what is too short or not hexadecimal.

#include "ReplyLine.h"

#include <QTest>

namespace {

TReply Reply(const QByteArray& line)
{
    const TParsedReply parsed = ParseReply(line);
    if (const auto* r = std::get_if<TReply>(&parsed))
        return *r;
    qWarning() << "not a reply:" << line;
    return TReply{};
}

bool Malformed(const QByteArray& line)
{
    return std::holds_alternative<TMalformedReply>(ParseReply(line));
}

bool Ignored(const QByteArray& line)
{
    return std::holds_alternative<TIgnoredReply>(ParseReply(line));
}

} // namespace

class TestReplyLine : public QObject {
    Q_OBJECT

private slots:
    void hexFieldsInEitherCase()
    {
        QCOMPARE(Reply("A01fF\r").Points, 0x1FF);
        QCOMPARE(Reply("Mb\x30\r").FieldSource, 0xB0);
        QCOMPARE(Reply("M0a\r").FieldSource, 10);
        const TReply x = Reply("Xabc0DEF1\r");
        QCOMPARE(x.Z1, 0xABC0);
        QCOMPARE(x.Z2, 0xDEF1);
        QCOMPARE(Reply("V 0000d2f0\r").Raw, 54000);
        QCOMPARE(Reply("V 0000D2F0\r").Raw, 54000);
    }

    void valuesAreTwosComplement()
    {
        QCOMPARE(Reply("V FFFFFFFF\r").Raw, -1);
        QCOMPARE(Reply("V 80000000\r").Raw, std::numeric_limits<int32_t>::min());
        QCOMPARE(Reply("V 7fffffff\r").Raw, std::numeric_limits<int32_t>::max());
        QCOMPARE(Reply("V FFFFB0E6\r").Raw, -20250);
        // Characters after the fields are ignored.
        QCOMPARE(Reply("V 0000000512\r").Raw, 5);
    }

    void onlyTheExclamationMarkFlagsAValue()
    {
        QVERIFY(Reply("V!00000001\r").OutOfRange);
        for (const char flag : {' ', '+', '-', '?', '1', 'x', '\0'}) {
            const TReply r = Reply(QByteArray("V") + flag + "00000007\r");
            QVERIFY2(!r.OutOfRange, QByteArray(1, flag).toHex().constData());
            QCOMPARE(r.Raw, 7);
        }
    }

    void holdIsBitZeroOfTheCharacter()
    {
        // '1' 0x31, '3' 0x33, 'a' 0x61, 'A' 0x41, 0xFF: bit 0 set.
        for (const char c : {'1', '3', 'a', 'A', '\xff'})
            QVERIFY2(Reply(QByteArray("H") + c + '\r').OnHold, QByteArray(1, c).toHex().constData());
        // '0' 0x30, '2' 0x32, 'b' 0x62, '@' 0x40, ' ': bit 0 clear.
        for (const char c : {'0', '2', 'b', '@', ' '})
            QVERIFY2(!Reply(QByteArray("H") + c + '\r').OnHold, QByteArray(1, c).toHex().constData());
        QVERIFY(Malformed("H\r"));
    }

    void textFieldsAreTakenAsTheyAre()
    {
        QCOMPARE(Reply("E0a1F\r").ErrorCode, QStringLiteral("0a1F"));
        QCOMPARE(Reply("E1\r").ErrorCode, QStringLiteral("1"));
        const TReply z = Reply("Z00422.0\r");
        QCOMPARE(z.Serial, QStringLiteral("0042"));
        QCOMPARE(z.Version, QStringLiteral("2.0"));
        for (const char letter : {'B', 'C', 'D', 'F'})
            QCOMPARE(Reply(QByteArray(1, letter) + "junk\r").Letter, letter);
    }

    void shortOrNonHexFieldsAreMalformed()
    {
        for (const QByteArray& line : {QByteArray("A012\r"), QByteArray("A01G0\r"), QByteArray("A\r"),
                                       QByteArray("M1\r"), QByteArray("Mx1\r"), QByteArray("V\r"),
                                       QByteArray("V 0000D2F\r"), QByteArray("V 0000D2FG\r"),
                                       QByteArray("V 0x00D2F0\r"), QByteArray("X0123012\r"),
                                       QByteArray("X01230 12\r"), QByteArray("A-001\r")})
            QVERIFY2(Malformed(line), line.constData());
        const TParsedReply shortValue = ParseReply("V 0000D2F\r");
        const auto* bad = std::get_if<TMalformedReply>(&shortValue);
        QVERIFY(bad && bad->Reason.contains(QStringLiteral("shorter")));
    }

    void unknownLettersAndEmptyLinesAreIgnored()
    {
        for (const QByteArray& line : {QByteArray("\r"), QByteArray(""), QByteArray("Q\r"), QByteArray("a0010\r"),
                                       QByteArray("v 00000001\r"), QByteArray("\x01\r")})
            QVERIFY2(Ignored(line), line.toHex().constData());
    }

    void printableLineNamesControlBytes()
    {
        QCOMPARE(PrintableLine("A\x01\xff\x7f\r"), QStringLiteral("A<01><ff><7f><CR>"));
        QCOMPARE(PrintableLine(QByteArray("V\0X", 3)), QStringLiteral("V<00>X"));
    }
};

QTEST_MAIN(TestReplyLine)
#include "test_ReplyLine.moc"
