#pragma once

#include <QStringList>

// The program: reads the command line, shows the window (connecting at once when the line names
// a sensor) and runs the event loop until the window is closed. Needs a QApplication; returns
// the exit code, 2 for a command line it cannot follow.
int runWorkbench(const QStringList& arguments);
