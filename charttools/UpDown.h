#pragma once
// Up-down arrows: an integer position between a minimum and a maximum that the
// arrows move by an increment, without wrapping. Setting the position from
// code clamps it and runs no handler; a click on an arrow (or the arrow keys,
// or the wheel) moves it and runs OnClick. With the keyboard focus the arrows
// are framed. The value box beside the arrows, when set as their associate,
// is enabled and disabled with them.

#include "Errors.h"

#include <QWidget>
#include <functional>

class QToolButton;

class TUpDown : public QWidget {
    Q_OBJECT
public:
    enum TUDBtnType { btNext, btPrev };

    explicit TUpDown(QWidget* parent = nullptr);

    int Position() const { return FPosition; }
    void SetPosition(int position);           // clamped into Min..Max
    int Min() const { return FMin; }
    int Max() const { return FMax; }
    void SetMin(int minimum);                 // the position follows into range
    void SetMax(int maximum);
    void SetRange(int minimum, int maximum);
    int Increment() const { return FIncrement; }
    void SetIncrement(int increment);

    int Tag = 0;                              // free for the owner
    std::function<void(TUDBtnType)> OnClick;

    // Moves one increment as a click on an arrow would, then runs OnClick.
    void Click(TUDBtnType button);
    // Moves to a position (clamped) and runs OnClick once, as the last of the
    // clicks that lead there; nothing happens at the position already held.
    void ClickTo(int position);

    void SetAssociate(QWidget* valueBox);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void UpdateArrows();
    QToolButton* FUp;
    QToolButton* FDown;
    QWidget* FAssociate = nullptr;
    int FPosition = 0, FMin = 0, FMax = 100, FIncrement = 1;
};

// Makes a member handler the arrows' click handler, guarded like every handler.
template <class Obj>
void OnUpDownClick(TUpDown* upDown, Obj* obj, void (Obj::*handler)())
{
    upDown->OnClick = [obj, handler](TUpDown::TUDBtnType) { RunGuarded([&] { (obj->*handler)(); }); };
}
