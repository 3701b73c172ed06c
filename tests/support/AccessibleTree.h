#pragma once
// A window seen as a screen reader sees it: through Qt's accessibility
// interfaces only, found by role and name in the tree under the window.

#include <QAccessible>
#include <QString>
#include <QWidget>

// The first visible node under `window` with that role and name; nullptr when none.
QAccessibleInterface* FindAccessible(QWidget& window, QAccessible::Role role, const QString& name);
// Runs an action that the node offers (the names as assistive tools see them,
// "Press", "Toggle"); false when it offers no such action.
bool DoAccessibleAction(QAccessibleInterface* node, const QString& action);
// The value a screen reader reads for a node: its description, else its value.
QString AccessibleReading(QAccessibleInterface* node);
// Replaces the whole text of an editable node as an assistive tool does;
// false when the node takes no text.
bool SetAccessibleText(QAccessibleInterface* node, const QString& text);
