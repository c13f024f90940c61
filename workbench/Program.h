#pragma once

#include "StartOptions.h"

// The program: shows the window (connecting at once when the command line named a sensor) and
// runs the event loop until the window is closed. Needs a QApplication; returns the exit code.
int runWorkbench(const StartOptions& options);
