#pragma once
// Reply lines as the main window receives them: the program's own line
// assembler drained at each receive event of a link, for tests and
// benchmarks of a link without the window.

#include "ReplyLine.h"
#include "SerialLink.h"

#include <QByteArray>
#include <QList>

struct TLineReader {
    explicit TLineReader(TSerialLink& link)
    {
        link.OnRxFlag = [this, &link] {
            ++Events;
            Assembler.ReadFrom(link, [this](const QByteArray& line, bool) { Lines << line; });
        };
    }
    TLineAssembler Assembler;
    QList<QByteArray> Lines;
    int Events = 0;
};
