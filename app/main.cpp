// Program entry: the application with its error boundary, the windows, the
// message loop.

#include "Operator.h"
#include "StopSignals.h"
#include "Version.h"
#include "Windows.h"

#include <QApplication>
#include <cstdio>
#include <cstring>

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
            if (!dynamic_cast<const TReportedElsewhere*>(&e))
                ReportUnhandledError(ErrorText(e));
        } catch (...) {
            ReportUnhandledError(QStringLiteral("Unknown error"));
        }
        return false;
    }
};

const char* const HelpText =
    "Usage: meril [options] [FILE.dcw | RUN.passes]\n"
    "Controls a continuous-wave NMR/ESR spectrometer on a serial port, acquires\n"
    "spectra pass by pass and processes stored spectra. With FILE.dcw the\n"
    "processing window opens with that spectrum. With RUN.passes, the folder of\n"
    "passes kept beside a run's spectrum, the main window takes up their sum,\n"
    "ready to store or to continue the run.\n"
    "\n"
    "Options:\n"
    "  -h, --help     Displays help on commandline options.\n"
    "  -v, --version  Displays version information.\n"
    "\n"
    "Settings: MERIL.INI beside the program, or in ~/.config/Meril when the\n"
    "program's folder is a system folder (/usr, /opt), another user's, or\n"
    "cannot be written.\n";

// --help and --version are answered before the application starts, so that
// they work without a display and open no window. True when one was given.
bool AnsweredInfoOption(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::fputs(HelpText, stdout);
            return true;
        }
        if (!std::strcmp(argv[i], "--version") || !std::strcmp(argv[i], "-v")) {
            std::printf("%s\n", qPrintable(VersionLine(QStringLiteral("meril"))));
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    if (AnsweredInfoOption(argc, argv))
        return 0;
    TMerilApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Meril"));
    SetErrorReporter([](const QString& text) { MessageDlg(text, TMsgType::Error, mbOK); });
    TFCWOptions options;
    options.ViewSettingsPath = DefaultViewSettingsPath();
    const auto windows = CreateWindows(std::move(options));
    CloseOnStopSignals(*windows->FCW, app);
    windows->FCW->show();
    // meril FILE: the processing window in front with that spectrum (its
    // format told by its content); meril RUN.passes: the kept passes of a
    // run, ready to store or continue.
    RunGuarded([&] { OpenArguments(*windows, QCoreApplication::arguments().mid(1)); });
    return QApplication::exec();
}
