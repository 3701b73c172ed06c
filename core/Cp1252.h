#pragma once
// Windows-1252 text at the file boundary. The program's files hold texts as
// single bytes of code page 1252 (the degree sign is 0xB0, the bullet 0x95);
// inside the program every text is a QString.
//
// Decoding never fails: the five bytes that 1252 leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) become the control characters of the same code, as Windows
// decodes them, so they survive a round trip. Encoding writes '?' for every
// character that 1252 cannot hold (one '?' per character, also for characters
// outside the Basic Multilingual Plane).

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

QString FromCp1252(QByteArrayView bytes);
QByteArray ToCp1252(const QString& text);
// True when every character of text has a byte in 1252.
bool FitsCp1252(const QString& text);

// For texts whose loss would lose a setting (directory and file names). Reading
// takes UTF-8 when the bytes are valid UTF-8 with at least one non-ASCII
// character, 1252 otherwise; a text written on Windows in 1252 is practically
// never valid UTF-8 beyond ASCII. Writing gives 1252 when the text fits and
// its bytes would be read back as 1252, UTF-8 otherwise, so every text
// survives a round trip.
QByteArray ToCp1252OrUtf8(const QString& text);
QString FromCp1252OrUtf8(QByteArrayView bytes);
