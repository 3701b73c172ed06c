#pragma once
// Waiting on a condition, never on a fixed time: events are processed until
// the condition holds or the time-out passes.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

// True when `done` held within `ms`.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 10000)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}
