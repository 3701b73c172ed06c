#pragma once
// Where the processing window opens on a screen without a window manager to
// place it: beside the main window (right, else left) where the room there
// takes its minimum width, else below (else above) where the room takes its
// minimum height; otherwise exactly over the main window and at least as
// large, so that it hides it whole rather than leaving a strip of it (and
// its menu bar) showing under its own. Frames included; the result lies in
// `available`.

#include <QRect>
#include <QSize>

QRect PlaceBeside(const QRect& available, const QRect& mainFrame, QSize preferred, QSize minimum);
