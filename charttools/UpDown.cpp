#include "UpDown.h"

#include <QKeyEvent>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

TUpDown::TUpDown(QWidget* parent) : QWidget(parent)
{
    FUp = new QToolButton(this);
    FDown = new QToolButton(this);
    FUp->setArrowType(Qt::UpArrow);
    FDown->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {FUp, FDown}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedSize(18, 11);
    }
    FUp->setAccessibleName(QStringLiteral("Up"));
    FDown->setAccessibleName(QStringLiteral("Down"));
    auto* layout = new QVBoxLayout(this);
    // Room around the arrows for the focus frame.
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(FUp);
    layout->addWidget(FDown);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(FUp, &QToolButton::clicked, this, [this] { Click(btNext); });
    connect(FDown, &QToolButton::clicked, this, [this] { Click(btPrev); });
    UpdateArrows();
}

void TUpDown::SetPosition(int position)
{
    FPosition = std::clamp(position, FMin, std::max(FMin, FMax));
    UpdateArrows();
}

void TUpDown::SetMin(int minimum) { SetRange(minimum, FMax); }
void TUpDown::SetMax(int maximum) { SetRange(FMin, maximum); }

void TUpDown::SetRange(int minimum, int maximum)
{
    FMin = minimum;
    FMax = maximum;
    SetPosition(FPosition);
}

void TUpDown::SetIncrement(int increment)
{
    FIncrement = std::max(1, increment);
}

void TUpDown::Click(TUDBtnType button)
{
    if (!isEnabled())
        return;
    const long long step = button == btNext ? FIncrement : -FIncrement;
    SetPosition(int(std::clamp<long long>(FPosition + step, FMin, FMax)));
    if (OnClick)
        OnClick(button);
}

void TUpDown::ClickTo(int position)
{
    position = std::clamp(position, FMin, std::max(FMin, FMax));
    if (!isEnabled() || position == FPosition)
        return;
    const TUDBtnType button = position > FPosition ? btNext : btPrev;
    SetPosition(position);
    if (OnClick)
        OnClick(button);
}

void TUpDown::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Right)
        Click(btNext);
    else if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Left)
        Click(btPrev);
    else
        QWidget::keyPressEvent(event);
}

void TUpDown::wheelEvent(QWheelEvent* event)
{
    const int dy = event->angleDelta().y();
    if (dy != 0)
        Click(dy > 0 ? btNext : btPrev);
    event->accept();
}

void TUpDown::SetAssociate(QWidget* valueBox)
{
    FAssociate = valueBox;
    if (FAssociate)
        FAssociate->setEnabled(isEnabledTo(parentWidget()));
}

void TUpDown::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) {
        UpdateArrows();
        if (FAssociate)
            FAssociate->setEnabled(isEnabledTo(parentWidget()));
    }
    QWidget::changeEvent(event);
}

void TUpDown::paintEvent(QPaintEvent*)
{
    // Framed whenever the arrows have the focus, however they got it.
    if (!hasFocus())
        return;
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Highlight));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TUpDown::focusInEvent(QFocusEvent* event)
{
    update();
    QWidget::focusInEvent(event);
}

void TUpDown::focusOutEvent(QFocusEvent* event)
{
    update();
    QWidget::focusOutEvent(event);
}

void TUpDown::UpdateArrows()
{
    FUp->setEnabled(isEnabled() && FPosition < FMax);
    FDown->setEnabled(isEnabled() && FPosition > FMin);
}
