#pragma once
// The number in a label such as "14 000.5 kHz".

#include <QString>

// Keeps only the digits, "." and "," and converts them with StrToFloat, whose
// EConvertError (naming the kept text) reaches the caller. Blanks, units and a
// minus sign are dropped.
long double ParseLabelNumber(const QString& text);
