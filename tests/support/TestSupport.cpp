#include "TestSupport.h"

TScriptedOperator::TScriptedOperator()
{
    SetOperator(this);
}

TScriptedOperator::~TScriptedOperator()
{
    SetOperator(nullptr);
}

void TScriptedOperator::ExpectMessage(const QString& text, int button)
{
    FScript.push_back({Kind::Message, text, button, {}});
}

void TScriptedOperator::ExpectFileDialog(const QString& path)
{
    FScript.push_back({Kind::File, path, 0, {}});
}

void TScriptedOperator::ExpectDirectory(const QString& path)
{
    FScript.push_back({Kind::Directory, path, 0, {}});
}

void TScriptedOperator::ExpectModal(std::function<int(QDialog&)> act)
{
    FScript.push_back({Kind::Modal, {}, 0, std::move(act)});
}

QString TScriptedOperator::Problems() const
{
    QStringList all = FProblems;
    if (!FScript.empty())
        all << QStringLiteral("%1 expected dialog(s) never came").arg(FScript.size());
    return all.join(QStringLiteral("; "));
}

bool TScriptedOperator::Take(Kind what, Step& step, const QString& describe)
{
    if (FScript.empty() || FScript.front().What != what) {
        FProblems << QStringLiteral("unexpected %1").arg(describe);
        return false;
    }
    step = FScript.front();
    FScript.pop_front();
    return true;
}

int TScriptedOperator::MessageDlg(const QString& text, TMsgType, int buttons)
{
    Messages << text;
    Step step;
    if (!Take(Kind::Message, step, QStringLiteral("message \"%1\"").arg(text)))
        return (buttons & mbCancel) ? mbCancel : (buttons & mbNo) ? mbNo : (buttons & mbIgnore) ? mbIgnore : mbOK;
    if (!text.contains(step.Text))
        FProblems << QStringLiteral("message \"%1\" instead of \"%2\"").arg(text, step.Text);
    return step.Button;
}

std::optional<QString> TScriptedOperator::FileDialog(const TFileDialog& dialog, QWidget*)
{
    Step step;
    if (!Take(Kind::File, step, QStringLiteral("file dialog \"%1\"").arg(dialog.Title)) || step.Text.isEmpty())
        return std::nullopt;
    return step.Text;
}

std::optional<QString> TScriptedOperator::SelectDirectory(const QString&, QWidget*)
{
    Step step;
    if (!Take(Kind::Directory, step, QStringLiteral("directory dialog")) || step.Text.isEmpty())
        return std::nullopt;
    return step.Text;
}

int TScriptedOperator::ExecModal(QDialog& dialog)
{
    Step step;
    if (!Take(Kind::Modal, step, QStringLiteral("window \"%1\"").arg(dialog.windowTitle())))
        return QDialog::Rejected;
    // Shown and closed as exec() would, so show and close handlers run.
    dialog.show();
    const int result = step.Act(dialog);
    dialog.done(result);
    return result;
}

TRecordingSoundPlayer::TRecordingSoundPlayer()
{
    SetSoundPlayer(this);
}

TRecordingSoundPlayer::~TRecordingSoundPlayer()
{
    SetSoundPlayer(nullptr);
}
