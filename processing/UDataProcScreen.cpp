// The processing window on screens of every size: it opens inside the
// available screen area, and the group boxes on the right scroll when the
// window is lower than they are (the tool bar rows wrap, UDataProcLayout.cpp).
// Nothing in the window asks for more than an 800 x 600 screen.

#include "UDataProc.h"

#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {
// Room for the frame and the title bar that a window manager adds; their real
// size is known only once the window is shown.
const QSize FrameRoom(16, 40);
const QSize PreferredSize(1024, 720);
} // namespace

QScrollArea* TFDataProc::CreatePanelArea(std::initializer_list<QWidget*> boxes)
{
    auto* content = new QWidget;
    PanelColumn = new QVBoxLayout(content);
    PanelColumn->setContentsMargins(0, 0, 0, 0);
    for (QWidget* box : boxes)
        PanelColumn->addWidget(box);
    PanelColumn->addStretch(1);
    PanelArea = new QScrollArea(this);
    PanelArea->setObjectName(QStringLiteral("PanelArea"));
    PanelArea->setWidget(content);
    PanelArea->setWidgetResizable(true);
    PanelArea->setFrameShape(QFrame::NoFrame);
    PanelArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // As wide as the widest panel with the scroll bar beside it: the values
    // are never cut at the right.
    const int scrollBar = PanelArea->verticalScrollBar()->sizeHint().width();
    PanelArea->setMinimumWidth(content->minimumSizeHint().width() + scrollBar);
    return PanelArea;
}

void TFDataProc::OpenInScreen()
{
    const QScreen* s = screen();
    if (!s)
        return;
    const QRect available = s->availableGeometry();
    const QSize size = PreferredSize.boundedTo(available.size() - FrameRoom);
    QRect frame(QPoint(), size);
    frame.moveCenter(available.center());
    setGeometry(frame);
}
