#include "DirDlgB.h"

#include "Operator.h"

#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TMDirectories::TMDirectories(QWidget* parent)
    : QDialog(parent),
      GroupBox(new QGroupBox(QStringLiteral("Directories"), this)),
      SetupDirEdit(new QLineEdit(GroupBox)),
      AcqDirEdit(new QLineEdit(GroupBox)),
      DOutDirEdit(new QLineEdit(GroupBox)),
      OKBtn(new QPushButton(QStringLiteral("OK"), this)),
      BrowseBtn(new QPushButton(QStringLiteral("Browse"), this)),
      CancelBtn(new QPushButton(QStringLiteral("Cancel"), this))
{
    setWindowTitle(QStringLiteral("Preferences"));
    auto* fields = new QFormLayout(GroupBox);
    const std::pair<const char*, QLineEdit*> rows[] = {{"Setup directory:", SetupDirEdit},
                                                       {"Acquisition directory:", AcqDirEdit},
                                                       {"Data output directory:", DOutDirEdit}};
    for (const auto& [caption, edit] : rows) {
        fields->addRow(QString::fromLatin1(caption), edit);
        edit->setAccessibleName(QString::fromLatin1(caption));
        edit->setMinimumWidth(320);
        edit->installEventFilter(this);
    }
    for (QPushButton* button : {OKBtn, BrowseBtn, CancelBtn})
        button->setAccessibleName(button->text());
    OKBtn->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(BrowseBtn);
    buttons->addWidget(CancelBtn);
    auto* form = new QVBoxLayout(this);
    form->addWidget(GroupBox);
    form->addLayout(buttons);

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(BrowseBtn, &QPushButton::clicked, this, &TMDirectories::BrowseBtnClick);
}

bool TMDirectories::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (watched == SetupDirEdit)
            SetupDirEditEnter();
        else if (watched == AcqDirEdit)
            AcqDirEditEnter();
        else if (watched == DOutDirEdit)
            DOutDirEditEnter();
    }
    return QDialog::eventFilter(watched, event);
}

void TMDirectories::SetupDirEditEnter()
{
    FocusedDirEdit = 1;
}

void TMDirectories::AcqDirEditEnter()
{
    FocusedDirEdit = 2;
}

void TMDirectories::DOutDirEditEnter()
{
    FocusedDirEdit = 3;
}

QLineEdit* TMDirectories::FocusedEdit() const
{
    switch (FocusedDirEdit) {
    case 1: return SetupDirEdit;
    case 2: return AcqDirEdit;
    case 3: return DOutDirEdit;
    default: return nullptr;
    }
}

void TMDirectories::BrowseBtnClick()
{
    QLineEdit* const edit = FocusedEdit();
    const auto chosen = Operator().SelectDirectory(edit ? edit->text() : QString(), this);
    if (chosen && edit)
        edit->setText(*chosen);
}
