#pragma once
// A one-line label that shows as much of its text as fits and marks the cut
// with "…"; the whole text is its tool tip and its accessible name, so nothing
// is lost to a narrow window.

#include <QLabel>

class TElidedLabel : public QLabel {
public:
    explicit TElidedLabel(QWidget* parent = nullptr, Qt::TextElideMode mode = Qt::ElideRight);

    void SetText(const QString& text);
    // The text as drawn at the present width.
    QString ShownText() const;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::TextElideMode FMode;
};
