#include "WholeFile.h"

#include <QSaveFile>

bool WriteWholeFile(const QString& path, QByteArrayView bytes, QString* error)
{
    QSaveFile file(path);
    const bool written = file.open(QIODevice::WriteOnly) &&
                         file.write(bytes.data(), bytes.size()) == bytes.size() && file.flush() &&
                         file.commit();
    if (!written && error) {
        *error = file.errorString();
        if (file.error() == QFileDevice::NoError)
            *error = QStringLiteral("The file was not written completely (disk full?)");
    }
    return written;  // an uncommitted QSaveFile removes its temporary file
}
