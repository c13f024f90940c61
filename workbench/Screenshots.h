#pragma once

#include <QString>

class MainWindow;

// Saves a PNG of the window for each of its tabs (workbench-<tab>.png) and one of each dock
// (named after its title) into `folder`; false, naming the file on stderr, when one could not be
// written. Each tab's Read buttons are pressed before its picture is taken.
bool saveScreenshots(MainWindow& window, const QString& folder);
