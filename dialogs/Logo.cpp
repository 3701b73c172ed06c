#include "Logo.h"

#include "LogoPicture.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The picture of the splash: the line shape with the program's name.
QPixmap SplashPicture()
{
    const QSize size(360, 200);
    QPixmap picture = LogoPicture(size, QColor(0, 0, 128));
    QPainter p(&picture);
    QFont font;
    font.setFamilies({QStringLiteral("Matura MT Script Capitals"), QStringLiteral("URW Chancery L"),
                      QStringLiteral("Z003"), QStringLiteral("TeX Gyre Chorus")});
    font.setStyleHint(QFont::Cursive);
    font.setPixelSize(38);
    font.setBold(true);
    font.setItalic(true);
    p.setFont(font);
    p.setPen(Qt::red);
    p.drawText(QRect(8, 8, size.width() * 2 / 5, size.height() * 2 / 5), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Meril"));
    font.setPixelSize(13);
    font.setFamily(QStringLiteral("Arial"));
    font.setBold(false);
    font.setItalic(false);
    p.setFont(font);
    p.setPen(Qt::black);
    p.drawText(QRect(0, size.height() - 20, size.width(), 20), Qt::AlignCenter,
               QStringLiteral("CW NMR / ESR spectrometer"));
    return picture;
}

} // namespace

TMLogo::TMLogo(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      Panel1(new QFrame(this)),
      Image1(new QLabel(Panel1)),
      Timer1(new QTimer(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);

    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(4);
    Panel1->setAutoFillBackground(true);
    QPalette yellow = Panel1->palette();
    yellow.setColor(QPalette::Window, QColor(255, 255, 0));
    yellow.setColor(QPalette::Light, QColor(255, 255, 180));
    yellow.setColor(QPalette::Dark, QColor(128, 128, 0));
    Panel1->setPalette(yellow);

    Image1->setPixmap(SplashPicture());
    Image1->setAlignment(Qt::AlignCenter);
    Image1->installEventFilter(this);
    auto* inside = new QVBoxLayout(Panel1);
    inside->setContentsMargins(24, 24, 24, 24);
    inside->addWidget(Image1);
    auto* outside = new QVBoxLayout(this);
    outside->setContentsMargins(6, 6, 6, 6);
    outside->addWidget(Panel1);

    Timer1->setInterval(8000);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &TMLogo::Timer1Timer);

    adjustSize();
    // Any click or key anywhere in the program closes the splash.
    // (The same filter sees the parent being shown.)
    qApp->installEventFilter(this);
    if (!parent)
        ShowCentred();
}

void TMLogo::ShowCentred()
{
    const QWidget* over = parentWidget() && parentWidget()->isVisible() ? parentWidget() : nullptr;
    QRect area;
    if (over)
        area = over->frameGeometry();
    else if (const QScreen* screen = this->screen())
        area = screen->availableGeometry();
    move(area.center() - rect().center());
    show();
    raise();
    repaint();
}

bool TMLogo::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Resize:
    case QEvent::Move:
        // Over the main window once that is shown, and wherever it goes.
        if (watched == parentWidget() && parentWidget()->isVisible())
            ShowCentred();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
        if (isVisible()) {
            Timer1Timer();
            return watched == Image1;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TMLogo::Timer1Timer()
{
    Timer1->stop();
    close();  // deletes the window once the current event has been handled
}
