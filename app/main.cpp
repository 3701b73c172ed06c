// Program entry: the application with its error boundary, the windows, the
// message loop.

#include "Operator.h"
#include "StopSignals.h"
#include "Windows.h"

#include <QApplication>

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

} // namespace

int main(int argc, char** argv)
{
    TMerilApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Meril"));
    SetErrorReporter([](const QString& text) { MessageDlg(text, TMsgType::Error, mbOK); });
    TFCWOptions options;
    options.ViewSettingsPath = DefaultViewSettingsPath();
    const auto windows = CreateWindows(std::move(options));
    CloseOnStopSignals(*windows->FCW, app);
    windows->FCW->show();
    // meril FILE.dcw: the processing window in front with that spectrum;
    // meril RUN.passes: the kept passes of a run, ready to store or continue.
    for (const QString& arg : QCoreApplication::arguments().mid(1))
        if (arg.endsWith(QLatin1String(".dcw"), Qt::CaseInsensitive)) {
            OpenInProcessing(*windows, arg);
            break;
        } else if (IsPassFolder(arg)) {
            RunGuarded([&] { windows->FCW->OpenPassFolder(arg); });
            break;
        }
    return QApplication::exec();
}
