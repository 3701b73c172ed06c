#include "AudioDlgB.h"

#include "SoundPlayer.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

TMAudioDlgBox::TMAudioDlgBox(QWidget* parent)
    : QDialog(parent),
      EventBox(new QGroupBox(QStringLiteral("Event"), this)),
      ExpStartRB(new QRadioButton(QStringLiteral("Sweep start"), EventBox)),
      ExpRunRB(new QRadioButton(QStringLiteral("Sweep end"), EventBox)),
      ExpStopRB(new QRadioButton(QStringLiteral("accumulation end"), EventBox)),
      SoundBox(new QGroupBox(QStringLiteral("Sound"), this)),
      SoundNameEdit(new QLineEdit(SoundBox)),
      Button1(new QPushButton(QStringLiteral("Browse"), SoundBox)),
      BitBtn1(new QToolButton(SoundBox)),
      SoundOFF(new QCheckBox(QStringLiteral("OFF"), SoundBox)),
      SoundSBeep(new QCheckBox(QStringLiteral("Single"), SoundBox)),
      OKBtn(new QPushButton(QStringLiteral("OK"), this)),
      CancelBtn(new QPushButton(QStringLiteral("Cancel"), this))
{
    setWindowTitle(QStringLiteral("Audio"));
    OpenDialog1.Kind = TFileDialogKind::Open;
    OpenDialog1.Title = QStringLiteral("Select sound file");
    OpenDialog1.Filter = QStringLiteral("Sound (*.wav)|*.wav");

    ExpStartRB->setChecked(true);
    auto* events = new QVBoxLayout(EventBox);
    for (QRadioButton* rb : {ExpStartRB, ExpRunRB, ExpStopRB}) {
        rb->setAccessibleName(rb->text());
        events->addWidget(rb);
    }
    events->addStretch();

    auto* nameLab = new QLabel(QStringLiteral("Name:"), SoundBox);
    nameLab->setBuddy(SoundNameEdit);
    SoundNameEdit->setAccessibleName(nameLab->text());
    SoundNameEdit->setMinimumWidth(260);
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_MediaVolume));
    BitBtn1->setAccessibleName(QStringLiteral("Test"));
    BitBtn1->setToolTip(QStringLiteral("Play the sound"));
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{Button1, SoundOFF, SoundSBeep, OKBtn, CancelBtn})
        b->setAccessibleName(b->text());
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(nameLab);
    nameRow->addWidget(SoundNameEdit, 1);
    nameRow->addWidget(Button1);
    nameRow->addWidget(BitBtn1);
    auto* choiceRow = new QHBoxLayout;
    choiceRow->addWidget(SoundOFF);
    choiceRow->addWidget(SoundSBeep);
    choiceRow->addStretch();
    auto* sound = new QVBoxLayout(SoundBox);
    sound->addLayout(nameRow);
    sound->addLayout(choiceRow);

    auto* groups = new QHBoxLayout;
    groups->addWidget(EventBox);
    groups->addWidget(SoundBox, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* form = new QVBoxLayout(this);
    form->addLayout(groups);
    form->addLayout(buttons);
    OKBtn->setDefault(true);

    connect(ExpStartRB, &QRadioButton::clicked, this, &TMAudioDlgBox::ExpStartRBClick);
    connect(ExpRunRB, &QRadioButton::clicked, this, &TMAudioDlgBox::ExpRunRBClick);
    connect(ExpStopRB, &QRadioButton::clicked, this, &TMAudioDlgBox::ExpStopRBClick);
    connect(Button1, &QPushButton::clicked, this, &TMAudioDlgBox::Button1Click);
    connect(BitBtn1, &QToolButton::clicked, this, &TMAudioDlgBox::BitBtn1Click);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TMAudioDlgBox::ChangeActSndSet(int i)
{
    if (ActiveEvent > 0) {
        TSoundEvent& shown = EventSounds[ActiveEvent - 1];
        shown.FileName = SoundNameEdit->text();
        shown.Off = SoundOFF->isChecked() ? 1 : 0;
        shown.Single = SoundSBeep->isChecked() ? 1 : 0;
        shown.SingleEnabled = SoundSBeep->isEnabled() ? 1 : 0;
    }
    const TSoundEvent& next = EventSounds[i - 1];
    SoundNameEdit->setText(next.FileName);
    SoundOFF->setChecked(next.Off != 0);
    SoundSBeep->setChecked(next.Single != 0);
    SoundSBeep->setEnabled(next.SingleEnabled != 0);
    ActiveEvent = i;
}

void TMAudioDlgBox::ExpStartRBClick()
{
    ChangeActSndSet(1);
}

void TMAudioDlgBox::ExpRunRBClick()
{
    ChangeActSndSet(2);
}

void TMAudioDlgBox::ExpStopRBClick()
{
    ChangeActSndSet(3);
}

void TMAudioDlgBox::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TMAudioDlgBox::FormShow()
{
    ActiveEvent = 0;
    ChangeActSndSet(1);
    ExpStartRB->setChecked(true);
}

// Runs after OK and Cancel alike: the edits of the event on screen go into the copy.
void TMAudioDlgBox::FormClose()
{
    ChangeActSndSet(1);
}

void TMAudioDlgBox::done(int result)
{
    FormClose();
    QDialog::done(result);
}

void TMAudioDlgBox::Button1Click()
{
    if (OpenDialog1.Execute(this))
        SoundNameEdit->setText(OpenDialog1.FileName);
}

void TMAudioDlgBox::BitBtn1Click()
{
    SoundPlayer().Play(SoundNameEdit->text(), TSoundMode::Async);
}
