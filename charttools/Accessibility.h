#pragma once
// What assistive tools (a screen reader over AT-SPI) get from the windows'
// controls, beyond Qt's own interfaces:
// - a checkable button or radio button does under its accessibility actions
//   ("Press" and "Toggle") exactly what a click does, so its handler runs;
// - a label with an accessible name of its own (a value box such as "Gain
//   value" or "M2") carries its shown text as its description and value.
// Installed once at program start, before any window exists; test rigs
// install it too.

void InstallAccessibility();
