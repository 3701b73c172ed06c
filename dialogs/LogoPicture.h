#pragma once
// The program's picture: the first-derivative line shape of a resonance, as
// the spectrometer records it, drawn on a transparent background.

#include <QColor>
#include <QPixmap>
#include <QSize>

QPixmap LogoPicture(const QSize& size, const QColor& lineColor);
