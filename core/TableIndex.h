#pragma once
// Checks an index into one of the program's constant tables. An index outside
// the table is a caller's error: it throws EMerilError naming the table, so
// the handler that asked ends with a clear message instead of using a value
// that does not exist.

#include "Errors.h"

inline int CheckedIndex(int index, int first, int last, const char* table)
{
    if (index < first || index > last)
        throw EMerilError(QStringLiteral("%1 index %2 is out of range %3..%4")
                              .arg(QString::fromLatin1(table))
                              .arg(index)
                              .arg(first)
                              .arg(last));
    return index;
}
