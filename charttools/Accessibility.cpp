#include "Accessibility.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTextDocumentFragment>
#include <QToolButton>

namespace {

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

class TAccessibleValueLabel : public QAccessibleWidget {
public:
    explicit TAccessibleValueLabel(QLabel* l) : QAccessibleWidget(l, QAccessible::StaticText) {}

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
            return name.isEmpty() || shown == name ? QString() : shown;
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
        return true;
    }();
    (void)installed;
}
