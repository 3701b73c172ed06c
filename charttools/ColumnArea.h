#pragma once
// A column of controls that scrolls up and down on a screen too low for it,
// and is always as wide as its widest control with the scroll bar beside it,
// also when a control shown later is the widest: nothing is cut at the right.

#include <QScrollArea>

class TColumnArea : public QScrollArea {
    Q_OBJECT
public:
    explicit TColumnArea(QWidget* column, QWidget* parent = nullptr);
    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
