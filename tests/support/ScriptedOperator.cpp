#include "ScriptedOperator.h"

TScriptedOperator::TScriptedOperator() : FPrevious(&Operator())
{
    SetOperator(this);
}

// The operator before this one answers again (several windows at once in a
// benchmark close in the reverse order of their making).
TScriptedOperator::~TScriptedOperator()
{
    SetOperator(FPrevious);
}

void TScriptedOperator::ExpectMessage(int answer)
{
    FScript.push_back({TKind::Message, answer, {}, std::nullopt, {}});
}

void TScriptedOperator::ExpectMessage(const QString& text, int answer)
{
    FScript.push_back({TKind::Message, answer, text, std::nullopt, {}});
}

QString TScriptedOperator::Problems() const
{
    QStringList all = Unexpected;
    if (!FScript.empty())
        all << QStringLiteral("%1 expected call(s) never came").arg(FScript.size());
    return all.join(QStringLiteral("; "));
}

void TScriptedOperator::ExpectFileDialog(std::optional<QString> choice)
{
    FScript.push_back({TKind::FileDialog, 0, {}, std::move(choice), {}});
}

void TScriptedOperator::ExpectSelectDirectory(std::optional<QString> choice)
{
    FScript.push_back({TKind::SelectDirectory, 0, {}, std::move(choice), {}});
}

void TScriptedOperator::ExpectModal(std::function<void(QDialog&)> act)
{
    FScript.push_back({TKind::Modal, 0, {}, std::nullopt, std::move(act)});
}

std::optional<TScriptedOperator::TStep> TScriptedOperator::Next(TKind kind, const QString& what)
{
    if (FScript.empty() || FScript.front().Kind != kind) {
        Unexpected << what;
        return std::nullopt;
    }
    TStep step = std::move(FScript.front());
    FScript.pop_front();
    return step;
}

int TScriptedOperator::MessageDlg(const QString& text, TMsgType, int, const QString& detail)
{
    Messages << text;
    MessageDetails << detail;
    const auto step = Next(TKind::Message, QStringLiteral("message: ") + text);
    if (!step)
        return mbCancel;
    if (!text.contains(step->Text))
        Unexpected << QStringLiteral("message \"%1\" instead of \"%2\"").arg(text, step->Text);
    return step->Button;
}

std::optional<QString> TScriptedOperator::FileDialog(const TFileDialog& dialog, QWidget*)
{
    FileDialogs << dialog;
    const auto step = Next(TKind::FileDialog, QStringLiteral("file dialog: ") + dialog.Title);
    return step ? step->Choice : std::nullopt;
}

std::optional<QString> TScriptedOperator::SelectDirectory(const QString& initial, QWidget*)
{
    DirectoryStarts << initial;
    const auto step = Next(TKind::SelectDirectory, QStringLiteral("directory dialog: ") + initial);
    return step ? step->Choice : std::nullopt;
}

int TScriptedOperator::ExecModal(QDialog& dialog)
{
    auto step = Next(TKind::Modal, QStringLiteral("window: ") + dialog.windowTitle());
    if (!step)
        return QDialog::Rejected;
    // Shown as exec() would show it, but without a nested loop.
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    step->Modal(dialog);
    if (dialog.isVisible())
        dialog.reject();
    return dialog.result();
}
