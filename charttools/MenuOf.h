#pragma once
// The menu an action sits in, for commands added to a window's menus after
// the menus were built.

#include <QAction>
#include <QMenu>

inline QMenu* MenuOf(QAction* action)
{
    for (QObject* o : action->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(o))
            return menu;
    return nullptr;
}
