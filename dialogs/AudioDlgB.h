#pragma once
// The audio events dialog: a sound file and the Off and Single choices for
// each of the three events. It edits its own copy, EventSounds; the main
// window fills the copy before showing it and takes it back after OK.

#include "Operator.h"
#include "SoundEvent.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

class TMAudioDlgBox : public QDialog {
    Q_OBJECT
public:
    explicit TMAudioDlgBox(QWidget* parent = nullptr);

    TSoundEvents EventSounds = DefaultSoundEvents();
    // The event (1 sweep start, 2 sweep end, 3 accumulation end) the controls show; 0 none yet.
    int ActiveEvent = 0;

    QGroupBox* EventBox;
    QRadioButton* ExpStartRB;
    QRadioButton* ExpRunRB;
    QRadioButton* ExpStopRB;
    QGroupBox* SoundBox;
    QLineEdit* SoundNameEdit;
    QPushButton* Button1;
    QToolButton* BitBtn1;
    QCheckBox* SoundOFF;
    QCheckBox* SoundSBeep;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    TFileDialog OpenDialog1;

    // Stores the controls into the active event, then shows event i.
    void ChangeActSndSet(int i);
    void ExpStartRBClick();
    void ExpRunRBClick();
    void ExpStopRBClick();
    void FormShow();
    void FormClose();
    void Button1Click();
    void BitBtn1Click();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
};
