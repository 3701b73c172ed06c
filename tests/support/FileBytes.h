#pragma once
// The whole content of a file for a test to look at; empty when it cannot be read.

#include <QByteArray>
#include <QFile>
#include <QString>

inline QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
