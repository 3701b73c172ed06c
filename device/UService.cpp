#include "UService.h"

#include "Cp1252.h"
#include "Errors.h"
#include "NumFormat.h"
#include "Operator.h"
#include "SerialLink.h"
#include "UpDown.h"
#include "Usr.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QLabel* Number(QWidget* parent, const QString& text, const QString& name)
{
    auto* l = new QLabel(text, parent);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setMinimumWidth(60);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setAccessibleName(name);
    return l;
}

TUpDown* Arrows(QWidget* parent, const QString& name, int minimum, int maximum, int position)
{
    auto* u = new TUpDown(parent);
    u->SetRange(minimum, maximum);
    u->SetPosition(position);
    u->setAccessibleName(name);
    u->setToolTip(name);
    return u;
}

} // namespace

TFService::TFService(TCommandSet& commands, TSerialLink& link, std::function<void(int limit)> setFrequencyLimit,
                     QWidget* parent)
    : QDialog(parent), FCommands(commands), FLink(link), FSetFrequencyLimit(std::move(setFrequencyLimit))
{
    setWindowTitle(QStringLiteral("Service"));
    auto* grid = new QGridLayout;
    TuningB0Lab = new QLabel(QStringLiteral("B0"), this);
    SrvTuningB0Val = Number(this, QStringLiteral("0"), QStringLiteral("B0 position"));
    SrvTuningB0UpDown = Arrows(this, QStringLiteral("B0"), -2000, 2000, 0);
    B0IncStaticText = Number(this, QStringLiteral("1"), QStringLiteral("B0 step"));
    B0IncUpDown = Arrows(this, QStringLiteral("B0 step"), 1, 100, 1);
    ModAmp = new QLabel(QStringLiteral("Mod Amp"), this);
    SrvModAmpVal = Number(this, QStringLiteral("0"), QStringLiteral("Mod Amp position"));
    SrvModAmpUpDown = Arrows(this, QStringLiteral("Mod Amp"), 0, 255, 0);
    MAIncStaticText = Number(this, QStringLiteral("1"), QStringLiteral("Mod Amp step"));
    MAIncUpDown = Arrows(this, QStringLiteral("Mod Amp step"), 1, 100, 1);
    F2ModLab = new QLabel(QStringLiteral("F2Mod"), this);
    F2ModVal = Number(this, QStringLiteral("255"), QStringLiteral("F2Mod frequency"));
    F2ModUpDown = Arrows(this, QStringLiteral("F2Mod"), 0, 255, 128);
    for (QLabel* l : {TuningB0Lab, ModAmp, F2ModLab})
        l->setAccessibleName(l->text());
    grid->addWidget(TuningB0Lab, 0, 0);
    grid->addWidget(SrvTuningB0Val, 0, 1);
    grid->addWidget(SrvTuningB0UpDown, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("step"), this), 0, 3);
    grid->addWidget(B0IncStaticText, 0, 4);
    grid->addWidget(B0IncUpDown, 0, 5);
    grid->addWidget(ModAmp, 1, 0);
    grid->addWidget(SrvModAmpVal, 1, 1);
    grid->addWidget(SrvModAmpUpDown, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("step"), this), 1, 3);
    grid->addWidget(MAIncStaticText, 1, 4);
    grid->addWidget(MAIncUpDown, 1, 5);
    grid->addWidget(F2ModLab, 2, 0);
    grid->addWidget(F2ModVal, 2, 1);
    grid->addWidget(F2ModUpDown, 2, 2);

    CalModeCB = new QCheckBox(QStringLiteral("Calibration mode"), this);
    FreqRngCB = new QCheckBox(QStringLiteral("Freq range"), this);
    Dir1RB = new QRadioButton(QStringLiteral("Dir-1"), this);
    Dir2RB = new QRadioButton(QStringLiteral("Dir-2"), this);
    auto* switches = new QHBoxLayout;
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{CalModeCB, FreqRngCB, Dir1RB, Dir2RB}) {
        b->setAccessibleName(b->text());
        switches->addWidget(b);
    }
    switches->addStretch(1);

    auto* GroupBox1 = new QGroupBox(QStringLiteral("Monitor"), this);
    MsgMemo = new QPlainTextEdit(GroupBox1);
    MsgMemo->setReadOnly(true);
    MsgMemo->setMaximumBlockCount(20000);
    MsgMemo->setAccessibleName(QStringLiteral("Received lines"));
    MsgMemo->setToolTip(QStringLiteral("Received lines (double click empties)"));
    MsgMemo->setMinimumHeight(220);
    QFont mono(QStringLiteral("Monospace"));
    mono.setStyleHint(QFont::TypeWriter);
    MsgMemo->setFont(mono);
    MsgEdit = new QLineEdit(GroupBox1);
    MsgEdit->setPlaceholderText(QStringLiteral("command to send, e.g. Z"));
    MsgEdit->setAccessibleName(QStringLiteral("Text to send"));
    MsgEdit->setToolTip(QStringLiteral("Text to send"));
    SendButton = new QPushButton(QStringLiteral("Send"), GroupBox1);
    NAnalMessCB = new QCheckBox(QStringLiteral("! Anal. Rec. Messages"), GroupBox1);
    Button1 = new QPushButton(QStringLiteral("Send (X2) - Continue msr"), GroupBox1);
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{SendButton, NAnalMessCB, Button1})
        b->setAccessibleName(b->text());
    auto* monitor = new QGridLayout(GroupBox1);
    monitor->addWidget(MsgMemo, 0, 0, 1, 3);
    monitor->addWidget(MsgEdit, 1, 0);
    monitor->addWidget(SendButton, 1, 1);
    monitor->addWidget(NAnalMessCB, 2, 0);
    monitor->addWidget(Button1, 2, 1, 1, 2);

    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addLayout(switches);
    column->addWidget(GroupBox1, 1);

    const auto arrows = [this](TUpDown* u, void (TFService::*handler)()) { OnUpDownClick(u, this, handler); };
    arrows(SrvTuningB0UpDown, &TFService::SrvTuningB0UpDownClick);
    arrows(SrvModAmpUpDown, &TFService::SrvModAmpUpDownClick);
    arrows(B0IncUpDown, &TFService::B0IncUpDownClick);
    arrows(MAIncUpDown, &TFService::MAIncUpDownClick);
    arrows(F2ModUpDown, &TFService::F2ModUpDownClick);
    connect(CalModeCB, &QCheckBox::clicked, this, Guarded(this, &TFService::CalModeCBClick));
    connect(Button1, &QPushButton::clicked, this, Guarded(this, &TFService::Button1Click));
    connect(Dir1RB, &QRadioButton::clicked, this, Guarded(this, &TFService::Dir1RBClick));
    connect(Dir2RB, &QRadioButton::clicked, this, Guarded(this, &TFService::Dir1RBClick));
    connect(FreqRngCB, &QCheckBox::clicked, this, Guarded(this, &TFService::FreqRngCBClick));
    connect(SendButton, &QPushButton::clicked, this, Guarded(this, &TFService::SendButtonClick));
    MsgMemo->viewport()->installEventFilter(this);
    SendButton->setAutoDefault(false);
    Button1->setAutoDefault(false);
}

void TFService::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    RunGuarded([this] { FormShow(); });
}

bool TFService::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == MsgMemo->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        MsgMemoDblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFService::FormShow()
{
    SrvTuningB0UpDown->SetPosition(FMainB0Position);
    SrvTuningB0UpDownClick();
}

void TFService::AppendLine(const QByteArray& line)
{
    QByteArray text = line;
    if (text.endsWith('\r'))
        text.chop(1);
    MsgMemo->appendPlainText(FromCp1252(text));
}

bool TFService::NotAnalysing() const
{
    return NAnalMessCB->isChecked();
}

void TFService::SrvTuningB0UpDownClick()
{
    SrvTuningB0Val->setText(QString::number(SrvTuningB0UpDown->Position()));
    FCommands.SetTuningB0(int16_t(SrvTuningB0UpDown->Position()));
}

void TFService::SrvModAmpUpDownClick()
{
    SrvModAmpVal->setText(QString::number(SrvModAmpUpDown->Position()));
    FCommands.SetModAmpRaw(int16_t(SrvModAmpUpDown->Position()));
}

void TFService::B0IncUpDownClick()
{
    B0IncStaticText->setText(QString::number(B0IncUpDown->Position()));
    SrvTuningB0UpDown->SetIncrement(B0IncUpDown->Position());
}

void TFService::MAIncUpDownClick()
{
    MAIncStaticText->setText(QString::number(MAIncUpDown->Position()));
    SrvModAmpUpDown->SetIncrement(MAIncUpDown->Position());
}

void TFService::F2ModUpDownClick()
{
    const int p = F2ModUpDown->Position();
    F2ModVal->setText(Format(QStringLiteral("%4.1n Hz"), {F2ModFrequency(p)}));
    FCommands.SetF2Mod(F2ModPeriodCode(p));
}

void TFService::CalModeCBClick()
{
    FCommands.SetCalibrationMode(CalModeCB->isChecked() ? 1 : 0);
}

void TFService::Button1Click()
{
    FCommands.SetCalibrationMode(2);
}

void TFService::Dir1RBClick()
{
    FCommands.SetCurrentDirection(Dir1RB->isChecked() ? 1 : 0);
}

void TFService::FreqRngCBClick()
{
    FSetFrequencyLimit(FreqRngCB->isChecked() ? 20000 : 2000);
}

void TFService::SendButtonClick()
{
    // A lost link is named as such, not as a port that happens to be closed.
    if (FLink.Lost()) {
        MessageDlg(LinkLostText(FLink.DeviceName()), TMsgType::Error, mbOK);
        return;
    }
    FLink.WriteString(ToCp1252(MsgEdit->text()) + '\r');
}

void TFService::MsgMemoDblClick()
{
    MsgMemo->clear();
}
