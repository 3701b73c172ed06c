#pragma once
// The main window's way of receiving reply lines (drain with InputCount/ReadChar
// into a line buffer until CR), for tests and benchmarks of a link.

#include "SerialLink.h"

#include <QByteArray>
#include <QList>

struct TLineReader {
    explicit TLineReader(TSerialLink& link) : Link(link)
    {
        link.OnRxFlag = [this] { OnRxFlag(); };
    }
    void OnRxFlag()
    {
        ++Events;
        while (Link.InputCount() >= 1) {
            do
                RxLine += Link.ReadChar();
            while (!RxLine.endsWith('\r') && Link.InputCount() > 0);
            if (RxLine.endsWith('\r')) {
                Lines << RxLine;
                RxLine.clear();
            }
        }
    }
    TSerialLink& Link;
    QByteArray RxLine;
    QList<QByteArray> Lines;
    int Events = 0;
};
