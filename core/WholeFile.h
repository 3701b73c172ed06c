#pragma once
// Writing a file so that a failure never destroys the file it replaces.

#include <QByteArrayView>
#include <QString>

// Writes bytes into a new file in the folder of path, flushes it to the disk
// and only then gives it the name path, replacing the file there. The new file
// has no name while it is written (a temporary one on file systems that
// cannot do that), so a crash leaves no part-written file. On failure path
// stays as it was and error (when given) receives the system's reason ("No
// space left on device").
//
// Plain system calls rather than QSaveFile: on a full disk or under a file
// size limit QSaveFile can commit a file cut short and report "Unknown error".
bool WriteWholeFile(const QString& path, QByteArrayView bytes, QString* error = nullptr);
