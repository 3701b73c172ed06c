#pragma once
// What assistive tools (a screen reader over AT-SPI) get from the windows'
// controls, beyond Qt's own interfaces:
// - a checkable button or radio button does under its accessibility actions
//   ("Press" and "Toggle") exactly what a click does, so its handler runs;
// - a button whose tool tip only repeats its caption is described by the
//   caption it shows now ("Continue" once "Hold" has become "Continue");
// - a label with an accessible name of its own (a value box such as "Gain
//   value" or "M2") carries its shown text, and any detail given for it
//   (an uncertainty), as its description, and its number as its value.
// Installed once at program start, before any window exists; test rigs
// install it too.

#include <QList>
#include <QString>

class QAbstractButton;
class QLabel;

void InstallAccessibility();

// Shows a measured value in its label. When the text changes, assistive
// tools are told: a value-changed and a description-changed event.
void SetValueText(QLabel* label, const QString& text);
// What a screen reader reads after the value ("± 0.03 Gs²"); empty for none.
// A change is told as a description-changed event.
void SetValueDetail(QLabel* label, const QString& detail);
QString ValueDetail(const QLabel* label);

// A group of exclusive radio buttons is one stop of the Tab key, on the
// button that is checked (the arrow keys move within the group).
void TabStopOnChecked(const QList<QAbstractButton*>& group);
