#pragma once

// The program from its first window to its end: the port window, the main window once "OK" is
// clicked, and the event loop until one of them ends the program. Needs a QApplication; returns
// the event loop's exit code.
int runThermAdjust();
