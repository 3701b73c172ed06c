#include "LogoPicture.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

QPixmap LogoPicture(const QSize& size, const QColor& lineColor)
{
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal w = size.width();
    const qreal h = size.height();
    const qreal mid = h / 2;

    // Baseline, drawn thin and faint.
    QColor faint = lineColor;
    faint.setAlpha(90);
    p.setPen(QPen(faint, std::max(1.0, h / 80)));
    p.drawLine(QPointF(w * 0.04, mid), QPointF(w * 0.96, mid));

    // Derivative of a Lorentzian line: y = -2u / (1 + u^2)^2, extreme at u = +-1/sqrt(3).
    const qreal halfWidth = w * 0.11;
    const qreal peak = 3 * std::sqrt(3.0) / 8;
    QPainterPath path;
    const int steps = 400;
    for (int i = 0; i <= steps; ++i) {
        const qreal x = w * (0.04 + 0.92 * i / steps);
        const qreal u = (x - w / 2) / halfWidth;
        const qreal y = mid + (h * 0.42) * (2 * u / std::pow(1 + u * u, 2)) / peak;
        if (i == 0)
            path.moveTo(x, y);
        else
            path.lineTo(x, y);
    }
    p.setPen(QPen(lineColor, std::max(1.5, h / 40), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    return picture;
}
