#include "ValueBox.h"

#include "UpDown.h"

#include <QKeyEvent>
#include <QRegularExpression>
#include <QTimer>
#include <algorithm>
#include <cmath>

TValueBox::TValueBox(QWidget* parent, const QString& quantity) : QLineEdit(parent), FQuantity(quantity)
{
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setMinimumWidth(84);
    setAccessibleName(quantity + QStringLiteral(" value"));
    setToolTip(accessibleName() + QStringLiteral(": type a value and press Enter"));
}

void TValueBox::Attach(TUpDown* arrows, TCaption caption)
{
    FArrows = arrows;
    FCaption = std::move(caption);
    arrows->SetAssociate(this);
}

void TValueBox::ShowPosition(int position)
{
    const bool typed = Typed();
    FShown = FCaption(position);
    if (!typed)
        setText(FShown);
}

void TValueBox::Restore()
{
    setText(FShown);
}

void TValueBox::Commit()
{
    if (!FArrows || !FCaption || !Typed())
        return Restore();
    const QString typedText = text().trimmed();
    const QString unit = CaptionUnit(FShown);
    const std::optional<double> typed = ParseTypedValue(typedText, unit);
    const int current = FArrows->Position();
    if (typed) {
        const int target = NearestPosition(*typed, current, FArrows->Min(), FArrows->Max(),
                                           [this, &unit](int p) { return ParseTypedValue(FCaption(p), unit); });
        if (target != current)
            FArrows->ClickTo(target);
    }
    // The handler shows the new caption; a handler that did not leaves the old one.
    Restore();
    const QString note = AdjustedNote(typedText, typed, FArrows->Position() != current);
    if (!note.isEmpty())
        emit Adjusted(note);
}

QString TValueBox::AdjustedNote(const QString& typed, std::optional<double> value, bool moved) const
{
    const QString shown = FShown.trimmed();
    const QString unit = CaptionUnit(FShown);
    if (!value) {
        const QString wanted = unit.isEmpty() ? QStringLiteral("a number") : QStringLiteral("a number in ") + unit;
        return QStringLiteral("%1 stays %2: \"%3\" is not %4").arg(FQuantity, shown, typed, wanted);
    }
    const std::optional<double> applied = ParseTypedValue(FShown, unit);
    if (applied && std::abs(*applied - *value) <= 1e-9 * std::max(1.0, std::abs(*value)))
        return QString();
    // Beyond the values the arrows reach, or between two of them.
    std::optional<double> lowest, highest;
    for (int p = FArrows->Min(); p <= FArrows->Max(); ++p)
        if (const std::optional<double> v = ParseTypedValue(FCaption(p), unit)) {
            lowest = lowest ? std::min(*lowest, *v) : *v;
            highest = highest ? std::max(*highest, *v) : *v;
        }
    QString why = QStringLiteral("the nearest step");
    if (highest && *value > *highest)
        why = QStringLiteral("its upper limit");
    else if (lowest && *value < *lowest)
        why = QStringLiteral("its lower limit");
    return QStringLiteral("%1 %2 %3, %4 (%5 typed)")
        .arg(FQuantity, moved ? QStringLiteral("set to") : QStringLiteral("stays"), shown, why, typed);
}

bool TValueBox::event(QEvent* event)
{
    // Enter and Esc while typing belong to the box, not to the window's shortcuts.
    if (event->type() == QEvent::ShortcutOverride && Typed()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
            event->accept();
            return true;
        }
    }
    return QLineEdit::event(event);
}

void TValueBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Commit();
        selectAll();
        event->accept();
    } else if (event->key() == Qt::Key_Escape && Typed()) {
        Restore();
        event->accept();
    } else {
        QLineEdit::keyPressEvent(event);
    }
}

void TValueBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // Typing replaces the shown value; after the click that placed the cursor.
    QTimer::singleShot(0, this, [this] {
        if (!Typed())
            selectAll();
    });
}

void TValueBox::focusOutEvent(QFocusEvent* event)
{
    // Only Enter sends: a half-typed value never reaches the instrument.
    if (Typed())
        Restore();
    QLineEdit::focusOutEvent(event);
}

QString CaptionUnit(const QString& caption)
{
    static const QRegularExpression unit(QStringLiteral("([^\\d\\s.+\\-\u2212]+)\\s*$"));
    const QRegularExpressionMatch m = unit.match(caption);
    return m.hasMatch() ? m.captured(1) : QString();
}

std::optional<double> ParseTypedValue(const QString& text, const QString& unit)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*([+\\-\u2212]?)\\s*(\\d[\\d \u00a0\u202f]*(?:\\.\\d*)?|\\.\\d+)\\s*(\\S*)\\s*$"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QString typedUnit = m.captured(3);
    if (!typedUnit.isEmpty() && typedUnit.compare(unit, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    QString digits = m.captured(2);
    digits.remove(QRegularExpression(QStringLiteral("[ \u00a0\u202f]")));
    bool ok = false;
    const double v = digits.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return m.captured(1).isEmpty() || m.captured(1) == QLatin1String("+") ? v : -v;
}

int NearestPosition(double value, int current, int minimum, int maximum,
                    const std::function<std::optional<double>(int)>& valueAt)
{
    int best = current;
    double bestDistance = INFINITY;
    for (int p = minimum; p <= maximum; ++p) {
        const std::optional<double> v = valueAt(p);
        if (!v)
            continue;
        const double d = std::abs(*v - value);
        if (d < bestDistance || (d == bestDistance && std::abs(p - current) < std::abs(best - current))) {
            best = p;
            bestDistance = d;
        }
    }
    return best;
}
