#pragma once
// The lines the instrument sends: assembling them from received bytes and
// reading their fields. A line ends with CR; its first character selects the
// reply; hex fields are upper- or lower-case hexadecimal of a fixed width.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <variant>

// One reply, with the fields its letter carries.
struct TReply {
    char Letter = 0;
    int Points = 0;           // A: N, 4 hex digits
    QString ErrorCode;        // E: characters 2-5, shown unchanged
    bool OnHold = false;      // H: bit 0 of the code of character 2
    int FieldSource = 0;      // M: 2 hex digits
    bool OutOfRange = false;  // V: flag character "!"
    int32_t Raw = 0;          // V: 8 hex digits, two's complement
    int Z1 = 0, Z2 = 0;       // X: 4 hex digits each
    QString Serial;           // Z: characters 2-5
    QString Version;          // Z: characters 6-8
};

struct TIgnoredReply {};                  // a first character no reply uses
struct TMalformedReply { QString Reason; }; // a field that is missing or not hexadecimal

using TParsedReply = std::variant<TReply, TIgnoredReply, TMalformedReply>;

// Reads one complete line (its CR may be included).
TParsedReply ParseReply(const QByteArray& line);

// Collects received bytes into lines. A line longer than MaxLineLength never
// ended: its bytes beyond the limit are dropped, and the line is marked.
class TLineAssembler {
public:
    static constexpr int MaxLineLength = 256;  // the longest reply has 11 bytes

    // Appends one byte; true when it completed a line (which ends with CR).
    bool Add(char byte)
    {
        if (FLine.size() < MaxLineLength)
            FLine.append(byte);
        else if (byte != '\r')
            FOverflow = true;
        else
            FLine.append(byte);
        return byte == '\r';
    }
    const QByteArray& Line() const { return FLine; }
    bool EndsLine() const { return !FLine.isEmpty() && FLine.back() == '\r'; }
    // True when bytes of the current line were dropped.
    bool Overflowed() const { return FOverflow; }
    // Drains what a serial link has received: onLine(line, overflowed) for
    // each line completed; a part line waits for the bytes of a later call.
    template <class TLink, class TOnLine>
    void ReadFrom(TLink& link, TOnLine&& onLine)
    {
        while (link.InputCount() >= 1) {
            while (!Add(link.ReadChar()) && link.InputCount() > 0) {
            }
            if (!EndsLine())
                return;
            const QByteArray line = FLine;
            const bool overflowed = FOverflow;
            Clear();
            onLine(line, overflowed);
        }
    }
    void Clear()
    {
        FLine.clear();
        FOverflow = false;
    }

private:
    QByteArray FLine;
    bool FOverflow = false;
};

// The text of a line for messages: control characters shown as <CR> etc.
QString PrintableLine(const QByteArray& line);
