#include "ElidedLabel.h"

#include <QPainter>
#include <QStyle>

TElidedLabel::TElidedLabel(QWidget* parent, Qt::TextElideMode mode) : QLabel(parent), FMode(mode)
{
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void TElidedLabel::SetText(const QString& text)
{
    setText(text);
    setAccessibleName(text);
    setToolTip(text);
}

QString TElidedLabel::ShownText() const
{
    const int room = contentsRect().width() - 2 * margin() - 2 * indent();
    return fontMetrics().elidedText(text(), FMode, std::max(0, room));
}

QSize TElidedLabel::minimumSizeHint() const
{
    // Any width will do: the text is cut to fit.
    return {fontMetrics().horizontalAdvance(QStringLiteral("W\u2026")), QLabel::minimumSizeHint().height()};
}

void TElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    style()->drawItemText(&painter, area, int(alignment()) | Qt::TextSingleLine, palette(), isEnabled(), ShownText(),
                          foregroundRole());
}
