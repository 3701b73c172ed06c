#pragma once
// Small helpers shared by the main window and the processing window: status
// panel messages and enabling a group of controls. The lowest and highest
// point of a series are in SeriesExtremes.h, the number in a labelled text in
// LabelNumber.h.

#include <QString>

class QWidget;
class TStatusBar;

// Keeps the panel's label (its text up to and including the first colon) and
// puts the message after it: "Acc: " with "2 of 5" becomes "Acc: 2 of 5"; an
// empty message leaves "Acc: ". A text without a colon is replaced by
// " " + message.
void SetStatusText(TStatusBar& bar, int panel, const QString& message);

// Enables or disables the controls placed directly in the container; controls
// inside those are left as they are.
void EnableChildren(QWidget* container, bool on);
