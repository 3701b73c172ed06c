// Program entry: the application with its error boundary, the windows, the
// message loop.

#include "Operator.h"
#include "Windows.h"

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// An exception that escapes a handler ends that handler; its text is shown in
// an error box and the program goes on.
class TMerilApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            ReportUnhandledError(ErrorText(e));
        } catch (...) {
            ReportUnhandledError(QStringLiteral("Unknown error"));
        }
        return false;
    }
};

// SIGINT and SIGTERM close the main window as the operator would, so that
// the settings are written; a second signal ends the program at once.
int StopSignalPipe[2] = {-1, -1};

void OnStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(StopSignalPipe[1], &byte, 1);
}

void CloseOnStopSignals(TFCW& window, QObject& owner)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, StopSignalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(StopSignalPipe[0], QSocketNotifier::Read, &owner);
    QObject::connect(notifier, &QSocketNotifier::activated, &owner, [&window] {
        char byte;
        [[maybe_unused]] const auto n = ::read(StopSignalPipe[0], &byte, 1);
        static bool asked = false;
        if (asked)
            QCoreApplication::exit(1);
        asked = true;
        window.close();
    });
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace

int main(int argc, char** argv)
{
    TMerilApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Meril"));
    SetErrorReporter([](const QString& text) { MessageDlg(text, TMsgType::Error, mbOK); });
    const auto windows = CreateWindows(TFCWOptions{});
    CloseOnStopSignals(*windows->FCW, app);
    windows->FCW->show();
    // meril FILE.dcw: the processing window in front with that spectrum.
    for (const QString& arg : QCoreApplication::arguments().mid(1))
        if (arg.endsWith(QLatin1String(".dcw"), Qt::CaseInsensitive)) {
            OpenInProcessing(*windows, arg);
            break;
        }
    return QApplication::exec();
}
