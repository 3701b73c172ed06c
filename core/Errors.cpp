#include "Errors.h"

#include <QDebug>

namespace {
TErrorReporter& Reporter()
{
    static TErrorReporter reporter;
    return reporter;
}
} // namespace

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
