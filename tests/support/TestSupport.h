#pragma once
// Test doubles for the operator seam and the sound player, and small helpers.

#include "Operator.h"
#include "SoundPlayer.h"

#include <QDialog>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <typeinfo>

// Answers message boxes, file dialogs and modal windows from a script. A
// dialog the script does not expect is answered with Cancel (or the first
// button) and recorded as a failure.
class TScriptedOperator final : public TOperator {
public:
    TScriptedOperator();
    ~TScriptedOperator() override;

    // Next message box must contain `text`; answer `button`.
    void ExpectMessage(const QString& text, int button = mbOK);
    // Next file dialog: answer with `path` (empty: cancel).
    void ExpectFileDialog(const QString& path);
    // Next directory dialog: answer with `path` (empty: cancel).
    void ExpectDirectory(const QString& path);
    // Next modal window: `act` gets it (fill in fields) and returns its result.
    void ExpectModal(std::function<int(QDialog&)> act);

    // Messages shown so far (all, expected or not).
    QStringList Messages;
    // Empty when every expectation was met and nothing unexpected happened.
    QString Problems() const;
    bool AllAnswered() const { return FScript.empty(); }

    int MessageDlg(const QString& text, TMsgType type, int buttons) override;
    std::optional<QString> FileDialog(const TFileDialog& dialog, QWidget* parent) override;
    std::optional<QString> SelectDirectory(const QString& initial, QWidget* parent) override;
    int ExecModal(QDialog& dialog) override;

private:
    enum class Kind { Message, File, Directory, Modal };
    struct Step {
        Kind What;
        QString Text;
        int Button = mbOK;
        std::function<int(QDialog&)> Act;
    };
    bool Take(Kind what, Step& step, const QString& describe);
    std::deque<Step> FScript;
    QStringList FProblems;
};

// Records what would have been played.
class TRecordingSoundPlayer final : public TSoundPlayer {
public:
    TRecordingSoundPlayer();
    ~TRecordingSoundPlayer() override;
    struct Play_ { QString File; TSoundMode Mode; };
    std::vector<Play_> Played;
    int Stops = 0;
    void Play(const QString& fileName, TSoundMode mode) override { Played.push_back({fileName, mode}); }
    void StopAll() override { ++Stops; }
};
