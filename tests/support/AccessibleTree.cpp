#include "AccessibleTree.h"

namespace {

QAccessibleInterface* Search(QAccessibleInterface* node, QAccessible::Role role, const QString& name)
{
    if (!node || node->state().invisible)
        return nullptr;
    if (node->role() == role && node->text(QAccessible::Name) == name)
        return node;
    for (int i = 0; i < node->childCount(); ++i)
        if (QAccessibleInterface* found = Search(node->child(i), role, name))
            return found;
    return nullptr;
}

} // namespace

QAccessibleInterface* FindAccessible(QWidget& window, QAccessible::Role role, const QString& name)
{
    return Search(QAccessible::queryAccessibleInterface(&window), role, name);
}

bool DoAccessibleAction(QAccessibleInterface* node, const QString& action)
{
    QAccessibleActionInterface* actions = node ? node->actionInterface() : nullptr;
    if (!actions || !actions->actionNames().contains(action))
        return false;
    actions->doAction(action);
    return true;
}

QString AccessibleReading(QAccessibleInterface* node)
{
    if (!node)
        return QString();
    const QString description = node->text(QAccessible::Description);
    return description.isEmpty() ? node->text(QAccessible::Value) : description;
}

bool SetAccessibleText(QAccessibleInterface* node, const QString& text)
{
    QAccessibleEditableTextInterface* editable = node ? node->editableTextInterface() : nullptr;
    QAccessibleTextInterface* shown = node ? node->textInterface() : nullptr;
    if (!editable || !shown)
        return false;
    editable->replaceText(0, shown->characterCount(), text);
    return true;
}
