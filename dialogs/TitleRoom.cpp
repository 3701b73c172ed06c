#include "TitleRoom.h"

#include <QFontMetrics>
#include <QScreen>
#include <QWidget>
#include <algorithm>

int TitleBarWidth(const QWidget& window)
{
    QFont font = window.font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    // Icon and buttons are about as wide as the bar is high: the text's height and a margin.
    const int square = metrics.height() + 10;
    return metrics.horizontalAdvance(window.windowTitle()) + 4 * square + 2 * metrics.averageCharWidth();
}

void MakeRoomForTitle(QWidget& window)
{
    int width = TitleBarWidth(window);
    if (const QScreen* screen = window.screen())
        width = std::min(width, screen->availableGeometry().width());
    window.setMinimumWidth(std::max(window.minimumWidth(), width));
}
