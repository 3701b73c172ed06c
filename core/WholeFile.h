#pragma once
// Writing a file so that a failure never destroys the file it replaces.

#include <QByteArrayView>
#include <QString>

// Writes bytes into a temporary file in the folder of path, flushes it to the
// disk and renames it over path only then. On failure path stays as it was,
// the temporary file is removed and error (when given) receives the system's
// reason ("No space left on device").
//
// Plain system calls rather than QSaveFile: on a full disk or under a file
// size limit QSaveFile can commit a file cut short and report "Unknown error".
bool WriteWholeFile(const QString& path, QByteArrayView bytes, QString* error = nullptr);
