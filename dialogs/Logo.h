#pragma once
// The splash window shown during start-up: borderless, black, on top and
// centred, with a yellow bevelled panel holding the program's picture. It
// closes and deletes itself when Timer1 fires (8 s after the main window
// starts it) or when the picture is clicked.

#include <QWidget>

class QFrame;
class QLabel;
class QTimer;

class TMLogo : public QWidget {
    Q_OBJECT
public:
    // Shows and paints the window at once.
    explicit TMLogo(QWidget* parent = nullptr);

    QFrame* Panel1;
    QLabel* Image1;
    QTimer* Timer1;  // off until the main window starts it; 8000 ms

    void Timer1Timer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
