#include "CommandDecoder.h"

#include <array>

namespace {
struct TCommandFormat {
    const char* Prefix;
    TCommandKind Kind;
    int MaxDigit;   // -1: no digit field
    int HexDigits;  // 0: no hex field
};

// Two-letter prefixes first, so that "D1"/"D2"/"B1" win over any one-letter match.
constexpr std::array<TCommandFormat, 18> Formats = {{
    {"D2", TCommandKind::Gain, -1, 2},
    {"D1", TCommandKind::ModAmpRaw, -1, 2},
    {"B1", TCommandKind::TuningB0, -1, 4},
    {"E", TCommandKind::Phase, -1, 2},
    {"R", TCommandKind::ModAmp, 1, 2},
    {"H", TCommandKind::FieldSweepRange, 1, 2},
    {"G", TCommandKind::SweepTime, -1, 2},
    {"F", TCommandKind::StartSweep, 1, 0},
    {"J", TCommandKind::Frequency, -1, 8},
    {"K", TCommandKind::FreqSweepRange, -1, 8},
    {"N", TCommandKind::Abort, -1, 0},
    {"P", TCommandKind::Mode, 1, 0},
    {"Z", TCommandKind::Probe, -1, 0},
    {"Y", TCommandKind::Confirm, -1, 0},
    {"Q", TCommandKind::Hold, 1, 0},
    {"S", TCommandKind::CurrentDirection, 1, 0},
    {"T", TCommandKind::F2Mod, -1, 4},
    {"X", TCommandKind::CalibrationMode, 2, 0},
}};

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}
} // namespace

std::optional<TCommand> DecodeCommand(QByteArrayView text, QString& why)
{
    for (const TCommandFormat& format : Formats) {
        if (!text.startsWith(QByteArrayView(format.Prefix)))
            continue;
        const qsizetype prefixLength = qstrlen(format.Prefix);
        const qsizetype expected = prefixLength + (format.MaxDigit >= 0 ? 1 : 0) + format.HexDigits;
        if (text.size() != expected) {
            why = QStringLiteral("wrong length (%1 characters, %2 expected)").arg(text.size()).arg(expected);
            return std::nullopt;
        }
        TCommand command{format.Kind};
        qsizetype pos = prefixLength;
        if (format.MaxDigit >= 0) {
            const int digit = text[pos++] - '0';
            if (digit < 0 || digit > format.MaxDigit) {
                why = QStringLiteral("digit field must be 0..%1").arg(format.MaxDigit);
                return std::nullopt;
            }
            command.Digit = digit;
        }
        for (; pos < text.size(); ++pos) {
            const int nibble = HexValue(text[pos]);
            if (nibble < 0) {
                why = QStringLiteral("not a hexadecimal digit at position %1").arg(pos + 1);
                return std::nullopt;
            }
            command.Value = command.Value << 4 | quint32(nibble);
        }
        return command;
    }
    why = QStringLiteral("unknown command");
    return std::nullopt;
}
