#include "FlowLayout.h"

#include <QWidget>
#include <algorithm>

TFlowLayout::TFlowLayout(QWidget* parent, int spacing) : QLayout(parent), FSpacing(spacing)
{
    setContentsMargins(0, 0, 0, 0);
}

TFlowLayout::~TFlowLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void TFlowLayout::addItem(QLayoutItem* item)
{
    FItems.append(item);
}

QLayoutItem* TFlowLayout::takeAt(int index)
{
    return index >= 0 && index < FItems.size() ? FItems.takeAt(index) : nullptr;
}

int TFlowLayout::heightForWidth(int width) const
{
    return Arrange(QRect(0, 0, width, 0), false);
}

// As narrow as the widest item: every other one can go onto a line of its own.
QSize TFlowLayout::minimumSize() const
{
    QSize size;
    for (const QLayoutItem* item : FItems)
        if (!item->isEmpty())
            size = size.expandedTo(item->sizeHint());
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

// All items on one line.
QSize TFlowLayout::sizeHint() const
{
    int width = 0, height = 0;
    for (const QLayoutItem* item : FItems) {
        if (item->isEmpty())
            continue;
        width += (width > 0 ? FSpacing : 0) + item->sizeHint().width();
        height = std::max(height, item->sizeHint().height());
    }
    const QMargins m = contentsMargins();
    return QSize(width + m.left() + m.right(), height + m.top() + m.bottom());
}

void TFlowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    Arrange(rect, true);
}

int TFlowLayout::Arrange(const QRect& rect, bool place) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    QList<QLayoutItem*> line;
    int y = area.y(), lineHeight = 0, x = area.x();
    const auto placeLine = [&] {
        for (QLayoutItem* item : line) {
            const QSize size = item->sizeHint();
            item->setGeometry(QRect(QPoint(item->geometry().x(), y + (lineHeight - size.height()) / 2), size));
        }
    };
    for (QLayoutItem* item : FItems) {
        if (item->isEmpty())
            continue;
        const QSize size = item->sizeHint();
        if (x > area.x() && x + size.width() > area.right() + 1) {
            if (place)
                placeLine();
            line.clear();
            y += lineHeight + FSpacing;
            x = area.x();
            lineHeight = 0;
        }
        if (place) {
            item->setGeometry(QRect(QPoint(x, y), size));
            line.append(item);
        }
        x += size.width() + FSpacing;
        lineHeight = std::max(lineHeight, size.height());
    }
    if (place)
        placeLine();
    const QMargins m = contentsMargins();
    return y + lineHeight - rect.y() + m.bottom();
}
