#include "UOutMess.h"

#include "NumFormat.h"
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

long double ParseLabelNumber(const QString& text)
{
    QString kept;
    for (const QChar c : text)
        if ((c >= u'0' && c <= u'9') || c == u'.' || c == u',')
            kept += c;
    return StrToFloat(kept);
}
