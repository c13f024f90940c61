#pragma once

#include <QString>

class MainWindow;

// Saves a PNG of the window for each of its tabs (named after the tab) and one of each dock
// (named after its title) into `folder`; false, naming the file on stderr, when one could not be
// written.
bool saveScreenshots(MainWindow& window, const QString& folder);
