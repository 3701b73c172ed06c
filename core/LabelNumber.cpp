#include "LabelNumber.h"

#include "NumFormat.h"

long double ParseLabelNumber(const QString& text)
{
    QString kept;
    for (const QChar c : text)
        if ((c >= u'0' && c <= u'9') || c == u'.' || c == u',')
            kept += c;
    return StrToFloat(kept);
}
