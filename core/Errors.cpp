#include "Errors.h"

#include <QDebug>

#include <cstring>

namespace {
TErrorReporter& Reporter()
{
    static TErrorReporter reporter;
    return reporter;
}
} // namespace

QString WithVisibleControls(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        if (c.unicode() < 0x20 && c != QLatin1Char('\n') && c != QLatin1Char('\t'))
            shown += QStringLiteral("<%1>").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

QString SystemErrorText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

QString ErrorText(const std::exception& e)
{
    return QString::fromStdString(e.what());
}

void SetErrorReporter(TErrorReporter reporter)
{
    Reporter() = std::move(reporter);
}

void ReportUnhandledError(const QString& text)
{
    if (Reporter())
        Reporter()(text);
    else
        qWarning().noquote() << "Unhandled error:" << text;
}
