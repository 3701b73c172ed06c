#pragma once
// The service window: direct access to instrument settings the main window
// does not offer, and a monitor of the serial line with a raw send.

#include <QDialog>
#include <QPlainTextEdit>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TCommandSet;
class TSerialLink;
class TUpDown;

class TFService : public QDialog {
    Q_OBJECT
public:
    // commands and link: the main window's; setFrequencyLimit takes the limit
    // of the main window's frequency positions, which "Freq range" widens.
    TFService(TCommandSet& commands, TSerialLink& link, std::function<void(int limit)> setFrequencyLimit,
              QWidget* parent = nullptr);

    QLabel *TuningB0Lab, *SrvTuningB0Val, *B0IncStaticText;
    TUpDown *SrvTuningB0UpDown, *B0IncUpDown;
    QLabel *ModAmp, *SrvModAmpVal, *MAIncStaticText;
    TUpDown *SrvModAmpUpDown, *MAIncUpDown;
    QLabel *F2ModLab, *F2ModVal;
    TUpDown* F2ModUpDown;
    QCheckBox *CalModeCB, *FreqRngCB, *NAnalMessCB;
    QRadioButton *Dir1RB, *Dir2RB;
    QPlainTextEdit* MsgMemo;
    QLineEdit* MsgEdit;
    QPushButton *SendButton, *Button1;

    // The main window's B0 position, taken over each time the window is shown.
    void SetMainB0Position(int position) { FMainB0Position = position; }
    // Appends one received line (with its CR) to the monitor.
    void AppendLine(const QByteArray& line);
    // While checked, received lines are shown only, not analysed.
    bool NotAnalysing() const;

    void FormShow();
    void SrvTuningB0UpDownClick();
    void SrvModAmpUpDownClick();
    void B0IncUpDownClick();
    void MAIncUpDownClick();
    void F2ModUpDownClick();
    void CalModeCBClick();
    void Button1Click();
    void Dir1RBClick();
    void FreqRngCBClick();
    void SendButtonClick();
    void MsgMemoDblClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TCommandSet& FCommands;
    TSerialLink& FLink;
    std::function<void(int limit)> FSetFrequencyLimit;
    int FMainB0Position = 0;
};
