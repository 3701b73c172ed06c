#include "LineView.h"

#include "Errors.h"

QString ProcessingRefusal(long long count)
{
    if (count < 2)
        return QStringLiteral("The spectrum holds %1 point(s); processing needs at least 2.").arg(count);
    if (count > MaxProcessedPoints)
        return QStringLiteral("The spectrum holds %1 points; processing handles at most %2.")
            .arg(count)
            .arg(MaxProcessedPoints);
    return {};
}

void CheckProcessable(long long count)
{
    if (const QString refusal = ProcessingRefusal(count); !refusal.isEmpty())
        throw EMerilError(refusal);
}
