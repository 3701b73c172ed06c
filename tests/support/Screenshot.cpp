#include "Screenshot.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>
#include <QWidget>

QImage SaveScreenshot(QWidget& widget, const QString& name)
{
    QCoreApplication::sendPostedEvents();  // pending layout requests first
    const QImage image = widget.grab().toImage();
    QDir().mkpath(QStringLiteral("screenshots"));
    image.save(QStringLiteral("screenshots/%1.png").arg(name));
    return image;
}

void AddReviewScreens()
{
    QTest::addColumn<QSize>("screen");
    for (const QSize size : {QSize(1600, 1000), QSize(1024, 768), QSize(800, 600)})
        QTest::newRow(qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height()))) << size;
}

bool Overlap(const QWidget* a, const QWidget* b)
{
    return a->isVisible() && b->isVisible() &&
           QRect(a->mapToGlobal(QPoint(0, 0)), a->size()).intersects(QRect(b->mapToGlobal(QPoint(0, 0)), b->size()));
}
