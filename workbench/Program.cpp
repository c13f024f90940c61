#include "Program.h"

#include <QApplication>

#include "MainWindow.h"
#include "Screenshots.h"
#include "kvcom3/Clock.h"
#include "kvcom3/Journal.h"

int runWorkbench(const StartOptions& options) {
    // While the library waits for the sensor the window repaints and Cancel reaches the transfer.
    kvcom3::setEventPump([] { QCoreApplication::processEvents(); });
    // Every EEPROM write of the workbench can be looked up and undone.
    kvcom3::enableJournal("kvworkbench");
    int rc = 0;
    {
        MainWindow window;
        window.show();
        if (options.connect) window.connectTo(*options.connect);
        if (!options.screenshots.isEmpty())
            rc = saveScreenshots(window, options.screenshots) ? 0 : 1;
        else
            rc = QApplication::exec();
    }
    kvcom3::disableJournal();
    kvcom3::setEventPump(nullptr);
    return rc;
}
