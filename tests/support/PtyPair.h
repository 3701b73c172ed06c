#pragma once
// A pseudo-terminal pair for tests and benchmarks of the serial link: the link
// opens SlavePath, the test plays the instrument on the master side.

#include <QByteArray>
#include <QString>

class TPtyPair {
public:
    TPtyPair();
    ~TPtyPair();
    TPtyPair(const TPtyPair&) = delete;
    TPtyPair& operator=(const TPtyPair&) = delete;

    void CloseMaster();
    // Hangs the line up as an unplugged adapter does; false without CAP_SYS_ADMIN.
    bool HangUp() const;
    // Writes all bytes, running the event loop while the pty is full; false after 10 s.
    bool Send(const QByteArray& data);
    // Reads until `count` bytes have come or nothing more came for quietMs.
    QByteArray Receive(qsizetype count, int quietMs = 2000);

    int Master = -1;   // non-blocking
    QString SlavePath; // empty if the pair could not be made

private:
    void Wait(short events);
};
