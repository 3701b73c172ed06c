// Reply lines from the instrument: any bytes, assembled into lines and read,
// give either a reply whose fields are those of its text, a line that is
// ignored, or one that is reported as damaged; lines stay bounded.
#include "ReplyLine.h"

#include <cstdint>
#include <cstdlib>
#include <variant>

namespace {

bool Hex(const QByteArray& body, int from, int width, uint32_t& value)
{
    if (body.size() < from + width)
        return false;
    bool ok = false;
    value = body.mid(from, width).toUInt(&ok, 16);
    return ok && !body.mid(from, width).contains('+') && !body.mid(from, width).contains(' ');
}

void Check(const QByteArray& line)
{
    if (line.size() > TLineAssembler::MaxLineLength + 1)
        std::abort();
    const TParsedReply parsed = ParseReply(line);
    const QByteArray body = line.endsWith('\r') ? line.chopped(1) : line;
    const auto* r = std::get_if<TReply>(&parsed);
    if (!r)
        return;
    if (body.isEmpty() || r->Letter != body[0])
        std::abort();
    uint32_t a = 0, b = 0;
    switch (r->Letter) {
    case 'A':
        if (!Hex(body, 1, 4, a) || int(a) != r->Points || r->Points > 0xFFFF)
            std::abort();
        break;
    case 'M':
        if (!Hex(body, 1, 2, a) || int(a) != r->FieldSource)
            std::abort();
        break;
    case 'V':
        if (!Hex(body, 2, 8, a) || int32_t(a) != r->Raw || r->OutOfRange != (body[1] == '!'))
            std::abort();
        break;
    case 'X':
        if (!Hex(body, 1, 4, a) || !Hex(body, 5, 4, b) || int(a) != r->Z1 || int(b) != r->Z2)
            std::abort();
        break;
    default:
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TLineAssembler assembler;
    for (size_t i = 0; i < size; ++i)
        if (assembler.Add(char(data[i]))) {
            Check(assembler.Line());
            PrintableLine(assembler.Line());
            assembler.Clear();
        }
    Check(assembler.Line());
    return 0;
}
