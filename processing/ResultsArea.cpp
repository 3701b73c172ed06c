#include "ResultsArea.h"

#include <QEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

TResultsArea::TResultsArea(QWidget* parent, int minimumHeight)
    : QScrollArea(parent), FMinimumHeight(minimumHeight)
{
    auto* content = new QWidget;
    FColumn = new QVBoxLayout(content);
    FColumn->setContentsMargins(0, 0, 0, 0);
    FColumn->setSpacing(2);
    setWidget(content);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

QSize TResultsArea::sizeHint() const
{
    const QWidget* content = widget();
    const int height = content->hasHeightForWidth() ? content->heightForWidth(viewport()->width())
                                                    : content->sizeHint().height();
    return {QScrollArea::sizeHint().width(), height + 2 * frameWidth()};
}

QSize TResultsArea::minimumSizeHint() const
{
    return {QScrollArea::minimumSizeHint().width(), std::min(sizeHint().height(), FMinimumHeight)};
}

// The height wanted changes with the texts and with the width.
bool TResultsArea::eventFilter(QObject* watched, QEvent* event)
{
    const bool handled = QScrollArea::eventFilter(watched, event);
    if (watched == widget() && event->type() == QEvent::LayoutRequest)
        updateGeometry();
    return handled;
}

void TResultsArea::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    if (event->size().width() != event->oldSize().width())
        updateGeometry();
}
