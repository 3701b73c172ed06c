#include "ColumnArea.h"

#include <QEvent>
#include <QScrollBar>

TColumnArea::TColumnArea(QWidget* column, QWidget* parent) : QScrollArea(parent)
{
    setWidget(column);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    column->installEventFilter(this);
}

QSize TColumnArea::minimumSizeHint() const
{
    const int width = widget() ? widget()->minimumSizeHint().width() : 0;
    return {width + verticalScrollBar()->sizeHint().width(), QScrollArea::minimumSizeHint().height()};
}

bool TColumnArea::eventFilter(QObject* watched, QEvent* event)
{
    // A control shown or hidden in the column may change its width.
    if (watched == widget() && event->type() == QEvent::LayoutRequest)
        updateGeometry();
    return QScrollArea::eventFilter(watched, event);
}
