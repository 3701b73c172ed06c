// The processing window on screens of every size: it opens inside the
// available screen area, and the group boxes on the right scroll when the
// window is lower than they are (the tool bar rows wrap, UDataProcLayout.cpp).
// Nothing in the window asks for more than an 800 x 600 screen.

#include "UDataProc.h"

#include "WindowPlacement.h"

#include <QLayout>
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

// The central widget never gets less height than its rows need at its
// width: word-wrapped texts (the checks, the fit results) take more lines
// on a narrow window, and the layout would otherwise lay the rows over one
// another.
void TFDataProc::KeepMinimumHeight()
{
    QWidget* central = centralWidget();
    if (!central || !central->layout())
        return;
    const int needed = central->layout()->totalMinimumHeightForWidth(central->width());
    if (central->minimumHeight() != needed)
        central->setMinimumHeight(needed);
}

// Without a window manager nothing places the window (nor maximizes it): it
// opens beside or below the main window, or wholly over it.
void TFDataProc::PlaceBesideMainWindow()
{
    const QScreen* s = screen();
    if (!s || !MainWindowFrame)
        return;
    // The place is of the frame; a frame the window already has is kept out of it.
    const QRect frame = frameGeometry(), inner = geometry();
    const QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                           frame.bottom() - inner.bottom());
    // The place is the normal geometry: a window asked to be maximized stays so.
    const Qt::WindowStates state = windowState();
    setGeometry(PlaceBeside(s->availableGeometry(), MainWindowFrame(), PreferredSize, minimumSizeHint())
                    .marginsRemoved(margins));
    setWindowState(state);
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
