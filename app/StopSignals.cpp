#include "StopSignals.h"

#include "Operator.h"
#include "UCW.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>
#include <csignal>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// The signal handler only writes a byte; the GUI thread does the closing.
int StopSignalPipe[2] = {-1, -1};

void OnStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(StopSignalPipe[1], &byte, 1);
}

} // namespace

void CloseOnStopSignals(TFCW& window, QObject& owner)
{
    if (StopSignalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, StopSignalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(StopSignalPipe[0], QSocketNotifier::Read, &owner);
    auto asked = std::make_shared<bool>(false);
    QObject::connect(notifier, &QSocketNotifier::activated, &owner, [&window, asked] {
        char byte;
        [[maybe_unused]] const auto n = ::read(StopSignalPipe[0], &byte, 1);
        if (*asked) {
            QCoreApplication::exit(1);
            return;
        }
        *asked = true;
        window.CloseUnattended();
        // A dialog open now (an error box) would keep the program running:
        // every dialog is closed and answered, and the program ends with it.
        EndOperatorDialogs();
        if (QThread::currentThread()->loopLevel() > 0)
            QCoreApplication::exit(0);
    });
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}
