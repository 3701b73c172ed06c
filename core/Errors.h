#pragma once
// Error types of the program and the one place where an error that no handler
// caught is reported to the operator.

#include <QString>
#include <functional>
#include <stdexcept>

// A text for the operator with its control characters (a NUL byte from a
// damaged file among them) shown as <00> etc.; line breaks and tabs are kept.
QString WithVisibleControls(const QString& text);

// Base of the program's own errors; the text is what the operator sees. It is
// kept as a C string, so a NUL in it would end it: control characters are shown escaped.
class EMerilError : public std::runtime_error {
public:
    explicit EMerilError(const QString& text) : std::runtime_error(WithVisibleControls(text).toStdString()) {}
    QString Text() const { return QString::fromStdString(what()); }
};

// A text that is not a number where one is needed ("'%s' is not a valid ... value").
class EConvertError : public EMerilError {
public:
    using EMerilError::EMerilError;
};

// A file of the program's formats that cannot be read or written.
class EFileError : public EMerilError {
public:
    using EMerilError::EMerilError;
};

// Marks an error that has already been told to the operator in another way
// (a lost serial link reports itself once): it ends the handler it leaves like
// any error, but no second error box is shown for it.
class TReportedElsewhere {
public:
    virtual ~TReportedElsewhere() = default;
};

// The system's words for an errno value: "No space left on device".
QString SystemErrorText(int code);

// The text of any exception as the operator should read it.
QString ErrorText(const std::exception& e);

// Reports an error that ended a handler. The program installs an error box
// here; until then (and in tests that install nothing) it goes to the log.
using TErrorReporter = std::function<void(const QString& text)>;
void SetErrorReporter(TErrorReporter reporter);
void ReportUnhandledError(const QString& text);

// Runs one handler at an event boundary: an exception that leaves it ends the
// handler, is reported, and the program goes on.
template <class F>
void RunGuarded(F&& handler) noexcept
{
    try {
        handler();
    } catch (const std::exception& e) {
        if (!dynamic_cast<const TReportedElsewhere*>(&e))
            ReportUnhandledError(ErrorText(e));
    } catch (...) {
        ReportUnhandledError(QStringLiteral("Unknown error"));
    }
}

// Wraps a member handler so that it can be connected to a Qt signal safely:
//   connect(button, &QAbstractButton::clicked, this, Guarded(this, &TFCW::StartToolBClick));
template <class Obj, class... Args>
auto Guarded(Obj* obj, void (Obj::*handler)(Args...))
{
    return [obj, handler](Args... args) { RunGuarded([&] { (obj->*handler)(args...); }); };
}
