#include "DlgBox1.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

TMDialogBox::TMDialogBox(QWidget* parent)
    : QDialog(parent),
      GroupBox(new QGroupBox(this)),
      DlgBoxLabel(new QLabel(GroupBox)),
      DlgBoxEdit(new QLineEdit(GroupBox)),
      DlgBoxOK(new QPushButton(QStringLiteral("OK"), this)),
      DlgBoxCancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    DlgBoxLabel->setBuddy(DlgBoxEdit);
    DlgBoxEdit->setMinimumWidth(313);
    DlgBoxOK->setAccessibleName(DlgBoxOK->text());
    DlgBoxOK->setDefault(true);
    DlgBoxCancel->setAccessibleName(DlgBoxCancel->text());

    auto* row = new QHBoxLayout(GroupBox);
    row->addWidget(DlgBoxLabel);
    row->addWidget(DlgBoxEdit, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(DlgBoxOK);
    buttons->addWidget(DlgBoxCancel);
    auto* form = new QVBoxLayout(this);
    form->addWidget(GroupBox);
    form->addLayout(buttons);

    connect(DlgBoxOK, &QPushButton::clicked, this, &TMDialogBox::DlgBoxOKClick);
    connect(DlgBoxCancel, &QPushButton::clicked, this, &TMDialogBox::DlgBoxCancelClick);
}

void TMDialogBox::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TMDialogBox::FormShow()
{
    if (Tag != 1)
        return;
    setWindowTitle(QStringLiteral("Comment"));
    DlgBoxLabel->setText(QStringLiteral("Enter comment:"));
    DlgBoxEdit->setAccessibleName(DlgBoxLabel->text());
    // Typing stops at 250 characters; a longer comment typed into the main
    // window's field is shown whole rather than cut.
    const QString comment = CommentEdit ? CommentEdit->text() : QString();
    DlgBoxEdit->setMaxLength(std::max<int>(CommentMaxLength, comment.size()));
    DlgBoxEdit->setText(comment);
    DlgBoxEdit->selectAll();
    resize(std::max(465, sizeHint().width()), sizeHint().height());
    DlgBoxEdit->setFocus();
}

void TMDialogBox::DlgBoxOKClick()
{
    if (Tag == 1 && CommentEdit)
        CommentEdit->setText(DlgBoxEdit->text());
    accept();
}

void TMDialogBox::DlgBoxCancelClick()
{
    reject();
}
