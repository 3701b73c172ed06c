#pragma once
// Review pictures: a window rendered with grab() into screenshots/<name>.png
// below the test's working directory. Not compared with anything.

#include <QImage>
#include <QString>

class QWidget;

QImage SaveScreenshot(QWidget& widget, const QString& name);

// The screens the pictures are made for, 1600x1000, 1024x768 and 800x600, as
// the rows of a data-driven test with the column "screen" (a QSize).
void AddReviewScreens();
// Both shown, and covering each other on the screen.
bool Overlap(const QWidget* a, const QWidget* b);
