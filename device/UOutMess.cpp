#include "UOutMess.h"

#include "StatusBar.h"

#include <QWidget>

void SetStatusText(TStatusBar& bar, int panel, const QString& message)
{
    const QString text = bar.PanelText(panel);
    const QString label = text.left(text.indexOf(u':') + 1);
    bar.SetPanelText(panel, label + u' ' + message);
}

void EnableChildren(QWidget* container, bool on)
{
    if (!container)
        return;
    for (QWidget* child : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->setEnabled(on);
}
