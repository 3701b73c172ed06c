#pragma once
// Review pictures: a window rendered with grab() into screenshots/<name>.png
// below the test's working directory. Not compared with anything.

#include <QImage>
#include <QString>

class QWidget;

QImage SaveScreenshot(QWidget& widget, const QString& name);
