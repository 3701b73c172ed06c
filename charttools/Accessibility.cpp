#include "Accessibility.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QToolTip>
#include <algorithm>
#include <optional>

namespace {

// Dynamic properties: the tool tip of a button was its caption when it was
// set; the detail read after a label's value.
const char* const CaptionTipProperty = "merilCaptionTip";
const char* const ValueDetailProperty = "merilValueDetail";

// Captions mark their shortcut letter with "&" and show "&&" as "&".
QString WithoutMnemonic(QString text)
{
    text.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    return text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
}

// Qt creates a widget's interface as soon as the widget announces a change,
// often before the button is made checkable or the label is named: so the
// interfaces decide from the widget's state at each request.
class TAccessibleButton : public QAccessibleWidget {
public:
    explicit TAccessibleButton(QAbstractButton* b) : QAccessibleWidget(b, QAccessible::Button)
    {
        addControllingSignal(QStringLiteral("clicked(bool)"));
    }

    QAccessible::Role role() const override
    {
        if (Menu())
            return QAccessible::ButtonMenu;
        if (!Button()->isCheckable())
            return QAccessible::Button;
        return Button()->autoExclusive() ? QAccessible::RadioButton : QAccessible::CheckBox;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = Button()->isCheckable();
        s.checked = Button()->isChecked();
        s.pressed = Button()->isDown();
        if (const auto* push = qobject_cast<QPushButton*>(Button()))
            s.defaultButton = push->isDefault();
        s.hasPopup = Menu() != nullptr;
        return s;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Description && Button()->accessibleDescription().isEmpty() &&
            Button()->property(CaptionTipProperty).toBool())
            return WithoutMnemonic(Button()->text());
        QString s = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && s.isEmpty())
            s = WithoutMnemonic(Button()->text());
        return s;
    }

    QStringList actionNames() const override
    {
        if (!Button()->isEnabled())
            return {};
        if (Menu())
            return {showMenuAction()};
        if (Button()->isCheckable())
            return {pressAction(), toggleAction()};
        return {pressAction()};
    }

    void doAction(const QString& action) override
    {
        if (!Button()->isEnabled())
            return;
        if (action == showMenuAction() && Menu())
            return Menu()->popup(Button()->mapToGlobal(Button()->rect().bottomLeft()));
        // Whatever the action's name, as a mouse click: the button checks or
        // unchecks itself and its handler runs.
        if (action == pressAction() || action == toggleAction())
            Button()->click();
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QAbstractButton* Button() const { return static_cast<QAbstractButton*>(object()); }
    QMenu* Menu() const
    {
        if (const auto* tool = qobject_cast<QToolButton*>(Button()))
            return tool->menu();
        if (const auto* push = qobject_cast<QPushButton*>(Button()))
            return push->menu();
        return nullptr;
    }
};

// The number a value text begins with ("3 288.12 Gs" gives 3288.12).
std::optional<double> LeadingNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*([+\\-\u2212]?\\d[\\d \u00a0]*(?:\\.\\d+)?)"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    QString digits = m.captured(1);
    digits.remove(QLatin1Char(' ')).remove(QChar(0x00a0)).replace(QChar(0x2212), QLatin1Char('-'));
    bool ok = false;
    const double value = digits.toDouble(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

// What a value label's change event carries: its number, else its text.
QVariant ValueOf(const QString& text)
{
    const std::optional<double> number = LeadingNumber(text);
    return number ? QVariant(*number) : QVariant(text);
}

class TAccessibleValueLabel : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit TAccessibleValueLabel(QLabel* l) : QAccessibleWidget(l, QAccessible::StaticText) {}

    // Only a label named for its value has one: captions do not.
    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::ValueInterface && !widget()->accessibleName().isEmpty())
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QVariant currentValue() const override
    {
        const std::optional<double> number = LeadingNumber(ShownText());
        return number ? QVariant(*number) : QVariant();
    }
    void setCurrentValue(const QVariant&) override {}   // shown, not edited
    QVariant maximumValue() const override { return {}; }
    QVariant minimumValue() const override { return {}; }
    QVariant minimumStepSize() const override { return {}; }

    QAccessible::Role role() const override
    {
        return Label()->pixmap().isNull() ? QAccessible::StaticText : QAccessible::Graphic;
    }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name: {
            // A label without a name of its own is named by its text.
            const QString name = widget()->accessibleName();
            if (!name.isEmpty())
                return name;
            // The "&" of a caption marks the shortcut to its buddy only.
            return Label()->buddy() ? WithoutMnemonic(ShownText()) : ShownText();
        }
        case QAccessible::Description: {
            // Read at each request, so it is always the text on the screen.
            const QString explicitText = widget()->accessibleDescription();
            if (!explicitText.isEmpty())
                return explicitText;
            // A caption named by its own text says nothing more.
            const QString name = widget()->accessibleName();
            const QString shown = ShownText();
            if (name.isEmpty() || shown == name)
                return QString();
            const QString detail = ValueDetail(Label());
            return detail.isEmpty() || shown.trimmed().isEmpty() ? shown : shown + QLatin1Char(' ') + detail;
        }
        case QAccessible::Value:
            return ShownText();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QList<std::pair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override
    {
        auto rels = QAccessibleWidget::relations(match);
        QWidget* buddy = Label()->buddy();
        if (buddy && (match & QAccessible::Labelled))
            if (QAccessibleInterface* i = QAccessible::queryAccessibleInterface(buddy))
                rels.append({i, QAccessible::Labelled});
        return rels;
    }

private:
    QLabel* Label() const { return static_cast<QLabel*>(object()); }
    QString ShownText() const
    {
        const QString t = Label()->text();
        const bool rich = Label()->textFormat() == Qt::RichText ||
                          (Label()->textFormat() == Qt::AutoText && Qt::mightBeRichText(t));
        return rich ? QTextDocumentFragment::fromHtml(t).toPlainText() : t;
    }
};

// Marks each button whose tool tip is set to its caption, and shows such a
// tip as the caption the button has at the moment it is asked for.
class TCaptionTips : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::ToolTipChange && event->type() != QEvent::ToolTip)
            return false;
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (!button)
            return false;
        const QString caption = WithoutMnemonic(button->text());
        if (event->type() == QEvent::ToolTipChange) {
            button->setProperty(CaptionTipProperty, !caption.isEmpty() && button->toolTip() == caption);
            return false;
        }
        if (!button->property(CaptionTipProperty).toBool())
            return false;
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), caption, button);
        return true;
    }
};

QAccessibleInterface* Factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("QToolButton") || className == QLatin1String("QRadioButton") ||
        className == QLatin1String("QCheckBox") || className == QLatin1String("QPushButton"))
        return new TAccessibleButton(static_cast<QAbstractButton*>(object));
    if (className == QLatin1String("QLabel"))
        return new TAccessibleValueLabel(static_cast<QLabel*>(object));
    return nullptr;
}

} // namespace

void InstallAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        qApp->installEventFilter(new TCaptionTips(qApp));
        return true;
    }();
    (void)installed;
}

void SetValueText(QLabel* label, const QString& text)
{
    if (label->text() == text)
        return;
    label->setText(text);
    QAccessibleValueChangeEvent value(label, ValueOf(text));
    QAccessible::updateAccessibility(&value);
    QAccessibleEvent description(label, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&description);
}

void SetValueDetail(QLabel* label, const QString& detail)
{
    if (ValueDetail(label) == detail)
        return;
    label->setProperty(ValueDetailProperty, detail);
    QAccessibleEvent description(label, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&description);
}

QString ValueDetail(const QLabel* label)
{
    return label->property(ValueDetailProperty).toString();
}

void TabStopOnChecked(const QList<QAbstractButton*>& group)
{
    const auto follow = [group] {
        const bool anyChecked = std::any_of(group.begin(), group.end(), [](auto* b) { return b->isChecked(); });
        for (QAbstractButton* b : group) {
            const Qt::FocusPolicy policy = b->focusPolicy();
            b->setFocusPolicy(!anyChecked || b->isChecked() ? Qt::FocusPolicy(policy | Qt::TabFocus)
                                                            : Qt::FocusPolicy(policy & ~Qt::TabFocus));
        }
    };
    for (QAbstractButton* b : group)
        QObject::connect(b, &QAbstractButton::toggled, b, follow);
    follow();
}
