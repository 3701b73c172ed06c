#pragma once
// Writing a file so that a failure never destroys the file it replaces.

#include <QByteArrayView>
#include <QString>

// Writes bytes into a temporary file in the folder of path and renames it over
// path only once every byte is on disk. On failure path stays as it was and
// error (when given) receives the reason.
//
// QSaveFile alone is not enough: its commit() succeeds after a buffered write
// that the file system cut short (disk full, file size limit), so the write
// count and the flush are checked before the rename.
bool WriteWholeFile(const QString& path, QByteArrayView bytes, QString* error = nullptr);
