#pragma once
// The caption block under a saved picture of the charts: which spectrum it
// is, how it was taken, and the values shown beside it, so that a picture
// read on its own says what it shows.

#include "DataFile.h"

#include <QString>
#include <QStringList>
#include <vector>

// A value as the window shows it: its caption ("M2 =") and its text.
struct TShownValue {
    QString Caption;
    QString Value;
};

// The mode and sweep texts as the window's setup labels show them.
QString ModeText(const TDataHeader& header);     // "NMR 1H &&19F" shown with one ampersand
QString SweepKindText(const TDataHeader& header); // "Field", "Frequency"
QString SweepRangeText(const TSpectrum& spectrum); // " 100 Gs", "  25 kHz" (of SweepRange)

// Lines: the file name and mode; B0, frequency and modulation; the sweep and
// the accumulations; the shown values that have a text, a few to a line;
// then `extraLines` (results of other tools) as they are.
QStringList PictureCaption(const QString& fileName, const TSpectrum& spectrum, const std::vector<TShownValue>& shown,
                           const QStringList& extraLines = {});
