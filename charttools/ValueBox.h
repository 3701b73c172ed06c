#pragma once
// The value box beside up-down arrows. It shows the caption of the arrows'
// position and takes a typed value: Enter moves the arrows to the position
// whose caption is nearest to it and runs their click handler once, so the
// instrument gets what clicking the arrows there sends; nothing is sent when
// that is the position already shown. Esc, leaving the box, or a text that is
// not a number in the shown unit puts the shown caption back. Any text other
// than the caption shown counts as typed, however it got there (the
// keyboard, setText, an assistive tool): only Enter takes it. When what is
// applied is not what was typed (beyond a limit, between two steps, not a
// number), the box says so in a sentence for the status line.

#include <QLineEdit>
#include <functional>
#include <optional>

class TUpDown;

class TValueBox : public QLineEdit {
    Q_OBJECT
public:
    using TCaption = std::function<QString(int position)>;

    // quantity: what the box holds ("B0"); the box is named "B0 value".
    TValueBox(QWidget* parent, const QString& quantity);

    // The arrows this box serves and the caption of each of their positions.
    void Attach(TUpDown* arrows, TCaption caption);
    // Shows the caption of a position (the arrows' handler calls it). A text
    // being typed stays until Enter, Esc or leaving the box.
    void ShowPosition(int position);
    // The caption shown, as opposed to a text typed.
    QString Shown() const { return FShown; }
    bool Typed() const { return text() != FShown; }
    QString Caption(int position) const { return FCaption(position); }

    // Takes the typed text as Enter does.
    void Commit();
    // Puts the shown caption back.
    void Restore();

signals:
    // After Enter on a typed text that was not applied as typed: what was
    // applied instead and why ("B0 set to 19.12 Gs, its upper limit (99999
    // typed)").
    void Adjusted(const QString& note);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // What became of `typed`; empty when the caption shown is its value.
    QString AdjustedNote(const QString& typed, std::optional<double> value, bool moved) const;

    QString FQuantity;
    TUpDown* FArrows = nullptr;
    TCaption FCaption;
    QString FShown;
};

// The number in a typed text or a caption: an optional sign, digits with
// blanks between groups, an optional decimal point, and an optional unit that
// must equal `unit` when one is given (case ignored). Nothing for any other
// text.
std::optional<double> ParseTypedValue(const QString& text, const QString& unit = QString());
// The unit at the end of a caption ("Gs" of " 300 Gs"); empty when none.
QString CaptionUnit(const QString& caption);
// The position in minimum..maximum whose value is nearest to `value`; of two
// equally near, the one nearer to `current`. Positions without a value are
// skipped; `current` when none has one.
int NearestPosition(double value, int current, int minimum, int maximum,
                    const std::function<std::optional<double>(int)>& valueAt);
