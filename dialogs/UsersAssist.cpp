#include "UsersAssist.h"

#include "LogoPicture.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* CentredLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignHCenter);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    return label;
}

} // namespace

TMUsersAssist::TMUsersAssist(const bool& deviceConnected, QWidget* parent)
    : QDialog(parent),
      GroupBox(new QGroupBox(this)),
      Label1(new QLabel(QStringLiteral("Meril"), GroupBox)),
      Label2(CentredLabel(QStringLiteral("program for CW NMR and ESR spectrometer"), GroupBox)),
      Label3(CentredLabel(QStringLiteral("control, data acquisition and processing"), GroupBox)),
      Label4(CentredLabel(VersionLine(), GroupBox)),
      DevicePrgVerLab(CentredLabel(QStringLiteral("device internal control program v."), GroupBox)),
      Image1(new QLabel(this)),
      OKBtn(new QPushButton(QStringLiteral("OK"), this)),
      FDeviceConnected(deviceConnected)
{
    setWindowTitle(QStringLiteral("About"));

    // A script face where the system has one; the sizes are character heights in pixels.
    QFont title;
    title.setFamilies({QStringLiteral("Matura MT Script Capitals"), QStringLiteral("URW Chancery L"),
                       QStringLiteral("Z003"), QStringLiteral("TeX Gyre Chorus")});
    title.setStyleHint(QFont::Cursive);
    title.setPixelSize(15);
    title.setBold(true);
    title.setItalic(true);
    Label1->setFont(title);
    Label1->setAlignment(Qt::AlignHCenter);
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label1->setPalette(red);

    auto* lines = new QVBoxLayout(GroupBox);
    for (QLabel* label : {Label1, Label2, Label3, Label4, DevicePrgVerLab})
        lines->addWidget(label);

    Image1->setPixmap(LogoPicture(QSize(64, 32), QColor(0, 0, 128)));
    OKBtn->setAccessibleName(OKBtn->text());
    OKBtn->setDefault(true);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(Image1);
    bottom->addStretch();
    bottom->addWidget(OKBtn);
    auto* form = new QVBoxLayout(this);
    form->addWidget(GroupBox);
    form->addLayout(bottom);
    form->setSizeConstraint(QLayout::SetFixedSize);

    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
}

QString TMUsersAssist::VersionLine()
{
    return QStringLiteral("version %1 for Linux").arg(QStringLiteral(MERIL_VERSION));
}

void TMUsersAssist::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TMUsersAssist::FormShow()
{
    DevicePrgVerLab->setVisible(FDeviceConnected);
}
