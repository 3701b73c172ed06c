#pragma once
// An operator that answers message boxes, file and directory dialogs and
// modal windows from a script, in order. It installs itself for its lifetime
// and puts back the operator it replaced.
// A call that the script does not expect next is recorded in Unexpected and
// answered with Cancel (or no choice); tests check Unexpected and Done().

#include "Operator.h"

#include <QDialog>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>

class TScriptedOperator final : public TOperator {
public:
    enum class TKind { Message, FileDialog, SelectDirectory, Modal };

    struct TStep {
        TKind Kind;
        int Button = 0;                              // Message: the answer
        QString Text;                                // Message: a text it must contain, if any
        std::optional<QString> Choice;               // FileDialog, SelectDirectory: the answer
        std::function<void(QDialog&)> Modal;         // Modal: acts on the shown window as the operator would
    };

    TScriptedOperator();
    ~TScriptedOperator() override;
    TScriptedOperator(const TScriptedOperator&) = delete;
    TScriptedOperator& operator=(const TScriptedOperator&) = delete;

    void ExpectMessage(int answer);
    // The next message box must contain text; it is answered with answer.
    void ExpectMessage(const QString& text, int answer = mbOK);
    void ExpectFileDialog(std::optional<QString> choice);
    void ExpectSelectDirectory(std::optional<QString> choice);
    // The window is shown; act clicks and types in it. A window still open
    // afterwards is closed as Escape closes it. The result is the window's.
    void ExpectModal(std::function<void(QDialog&)> act);

    bool Done() const { return FScript.empty(); }
    // Empty when every expected call came, in order, and nothing else did.
    QString Problems() const;

    // What the program showed: message texts, dialog titles, initial directories.
    QStringList Messages;
    QStringList MessageDetails;                      // the detail of each message, empty when none
    QList<TFileDialog> FileDialogs;
    QStringList DirectoryStarts;
    QStringList Unexpected;

    int MessageDlg(const QString& text, TMsgType type, int buttons, const QString& detail) override;
    std::optional<QString> FileDialog(const TFileDialog& dialog, QWidget* parent) override;
    std::optional<QString> SelectDirectory(const QString& initial, QWidget* parent) override;
    int ExecModal(QDialog& dialog) override;

private:
    std::optional<TStep> Next(TKind kind, const QString& what);
    std::deque<TStep> FScript;
    TOperator* FPrevious;
};
