#pragma once
// The one seam through which the program asks the operator: message boxes,
// file and directory dialogs, and modal windows. The program uses the real
// widgets; tests install a scripted operator that answers from a script and
// fails on a dialog it did not expect. The real message boxes and file
// dialogs give the window that was active its activation and keyboard back.

#include <QString>
#include <optional>

class QDialog;
class QWidget;

enum class TMsgType { Warning, Error, Information, Confirmation };

// Buttons of a message box; the answer is one of them.
enum TMsgButton : int {
    mbOK = 1, mbCancel = 2, mbYes = 4, mbNo = 8, mbRetry = 16, mbIgnore = 32, mbAbort = 64
};

enum class TFileDialogKind { Open, Save };

// A file open or save dialog as the windows keep it: its settings persist
// between showings, and FileName holds the last choice.
struct TFileDialog {
    TFileDialogKind Kind = TFileDialogKind::Open;
    QString Title;
    QString Filter;      // "Meril data file (*.dcw)|*.dcw"
    QString DefaultExt;  // "dcw", appended when the chosen name has no extension
    QString InitialDir;
    QString FileName;
    // Shows the dialog through the operator seam; true when the operator chose a file.
    bool Execute(QWidget* parent = nullptr);
};

class TOperator {
public:
    virtual ~TOperator() = default;
    // Shows a modal message box; returns the button chosen. The detail, when
    // given, is shown under the text (what to check, where it happened).
    virtual int MessageDlg(const QString& text, TMsgType type, int buttons, const QString& detail) = 0;
    // Shows a file dialog; returns the chosen full path.
    virtual std::optional<QString> FileDialog(const TFileDialog& dialog, QWidget* parent) = 0;
    // Directory selection that may create the directory (after asking).
    virtual std::optional<QString> SelectDirectory(const QString& initial, QWidget* parent) = 0;
    // Shows one of the program's own windows modally; returns its result code.
    virtual int ExecModal(QDialog& dialog) = 0;
};

// The operator in use; the real one unless a test installed another.
TOperator& Operator();
// Installs an operator (nullptr restores the real one). The caller keeps ownership.
void SetOperator(TOperator* op);

// The program ends with nobody to answer (a stop signal): every dialog open
// now is closed, and from now on every question is answered at once, without
// a dialog, with the answer that changes nothing (Cancel, No, Ignore, OK) and
// every file dialog with no choice.
void EndOperatorDialogs();
// The answer that changes nothing among the buttons of a message box.
int AnswerChangingNothing(int buttons);
// Shows one of the program's windows modally from `opener`; afterwards the
// opener is the active window again with the keyboard where it was. Without
// a window manager nothing else gives it back, and the next key is lost.
int ExecModalFrom(QWidget& opener, QDialog& dialog);

// Message box shorthand as the windows use it.
inline int MessageDlg(const QString& text, TMsgType type, int buttons, const QString& detail = QString())
{
    return Operator().MessageDlg(text, type, buttons, detail);
}

// The filter in the form Qt's dialogs take ("Meril data file (*.dcw)").
QString QtFilter(const QString& pipeFilter);
// Adds ".ext" when name has no extension (no dot in its file name) and ext is not empty.
QString WithDefaultExt(const QString& name, const QString& ext);
