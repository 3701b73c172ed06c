#pragma once
// A window manager draws a window's title in its own bar, beside an icon and
// the window's buttons, and cuts a title that does not fit ("Contin…lation").
// A small dialog is made wide enough for its title there.

class QWidget;

// The width a title bar needs for the window's title, in a bold title font,
// with room for the icon and three buttons.
int TitleBarWidth(const QWidget& window);
// Raises the window's minimum width to that, within the screen it is on.
void MakeRoomForTitle(QWidget& window);
