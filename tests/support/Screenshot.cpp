#include "Screenshot.h"

#include <QCoreApplication>
#include <QDir>
#include <QWidget>

QImage SaveScreenshot(QWidget& widget, const QString& name)
{
    QCoreApplication::sendPostedEvents();  // pending layout requests first
    const QImage image = widget.grab().toImage();
    QDir().mkpath(QStringLiteral("screenshots"));
    image.save(QStringLiteral("screenshots/%1.png").arg(name));
    return image;
}
