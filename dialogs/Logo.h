#pragma once
// The splash window shown during start-up: borderless, black, on top, with a
// yellow bevelled panel holding the program's picture. Without a parent it
// shows itself at once, centred on the screen; with one (the main window) it
// waits until the parent is shown and then shows itself centred over it, so
// that it needs no window manager to stay in front. It closes and deletes
// itself when Timer1 fires (8 s after the main window starts it) or at any
// click or key in the program.

#include <QWidget>

class QFrame;
class QLabel;
class QTimer;

class TMLogo : public QWidget {
    Q_OBJECT
public:
    explicit TMLogo(QWidget* parent = nullptr);

    QFrame* Panel1;
    QLabel* Image1;
    QTimer* Timer1;  // off until the main window starts it; 8000 ms

    void Timer1Timer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowCentred();
};
