#include "WindowPlacement.h"

#include <algorithm>

namespace {

// `r` moved (not resized, unless larger) into `available`.
QRect Inside(QRect r, const QRect& available)
{
    r.setSize(r.size().boundedTo(available.size()));
    r.moveLeft(std::clamp(r.left(), available.left(), available.right() - r.width() + 1));
    r.moveTop(std::clamp(r.top(), available.top(), available.bottom() - r.height() + 1));
    return r;
}

} // namespace

QRect PlaceBeside(const QRect& available, const QRect& mainFrame, QSize preferred, QSize minimum)
{
    const QSize size = preferred.boundedTo(available.size());
    const int right = available.right() - mainFrame.right();
    const int left = mainFrame.left() - available.left();
    const int below = available.bottom() - mainFrame.bottom();
    const int above = mainFrame.top() - available.top();
    if (right >= minimum.width())
        return Inside(QRect(mainFrame.right() + 1, mainFrame.top(), std::min(size.width(), right), size.height()),
                      available);
    if (left >= minimum.width()) {
        const int width = std::min(size.width(), left);
        return Inside(QRect(mainFrame.left() - width, mainFrame.top(), width, size.height()), available);
    }
    if (below >= minimum.height())
        return Inside(QRect(mainFrame.left(), mainFrame.bottom() + 1, size.width(), std::min(size.height(), below)),
                      available);
    if (above >= minimum.height()) {
        const int height = std::min(size.height(), above);
        return Inside(QRect(mainFrame.left(), mainFrame.top() - height, size.width(), height), available);
    }
    return Inside(QRect(mainFrame.topLeft(), size.expandedTo(mainFrame.size())), available);
}
