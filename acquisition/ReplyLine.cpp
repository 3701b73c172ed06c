#include "ReplyLine.h"

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Reads `width` hex digits starting at 1-based position `pos` of the line body.
bool ReadHex(const QByteArray& body, int pos, int width, uint32_t& value, QString& reason)
{
    value = 0;
    for (int i = 0; i < width; ++i) {
        const int at = pos - 1 + i;
        if (at >= body.size()) {
            reason = QStringLiteral("field at position %1 is shorter than %2 digits").arg(pos).arg(width);
            return false;
        }
        const int d = HexDigit(body[at]);
        if (d < 0) {
            reason = QStringLiteral("field at position %1 is not hexadecimal").arg(pos);
            return false;
        }
        value = value << 4 | uint32_t(d);
    }
    return true;
}

QString Chars(const QByteArray& body, int pos, int count)
{
    return QString::fromLatin1(body.mid(pos - 1, count));
}

} // namespace

TParsedReply ParseReply(const QByteArray& line)
{
    QByteArray body = line;
    if (body.endsWith('\r'))
        body.chop(1);
    if (body.isEmpty())
        return TIgnoredReply{};

    TReply r;
    r.Letter = body[0];
    QString reason;
    uint32_t a = 0, b = 0;
    switch (r.Letter) {
    case 'B': case 'C': case 'D': case 'F':
        return r;
    case 'A':
        if (!ReadHex(body, 2, 4, a, reason))
            return TMalformedReply{reason};
        r.Points = int(a);
        return r;
    case 'E':
        r.ErrorCode = Chars(body, 2, 4);
        return r;
    case 'H':
        if (body.size() < 2)
            return TMalformedReply{QStringLiteral("hold state character missing")};
        r.OnHold = (uchar(body[1]) & 1) != 0;
        return r;
    case 'M':
        if (!ReadHex(body, 2, 2, a, reason))
            return TMalformedReply{reason};
        r.FieldSource = int(a);
        return r;
    case 'V':
        if (body.size() < 2)
            return TMalformedReply{QStringLiteral("flag character missing")};
        if (!ReadHex(body, 3, 8, a, reason))
            return TMalformedReply{reason};
        r.OutOfRange = body[1] == '!';
        r.Raw = int32_t(a);
        return r;
    case 'X':
        if (!ReadHex(body, 2, 4, a, reason) || !ReadHex(body, 6, 4, b, reason))
            return TMalformedReply{reason};
        r.Z1 = int(a);
        r.Z2 = int(b);
        return r;
    case 'Z':
        r.Serial = Chars(body, 2, 4);
        r.Version = Chars(body, 6, 3);
        return r;
    default:
        return TIgnoredReply{};
    }
}

QString PrintableLine(const QByteArray& line)
{
    QString text;
    for (char c : line) {
        const uchar u = uchar(c);
        if (u == '\r')
            text += QStringLiteral("<CR>");
        else if (u < 0x20 || u >= 0x7F)
            text += QStringLiteral("<%1>").arg(u, 2, 16, QLatin1Char('0'));
        else
            text += QLatin1Char(c);
    }
    return text;
}
