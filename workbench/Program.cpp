#include "Program.h"

#include <QApplication>

#include "MainWindow.h"
#include "kvcom3/Clock.h"

int runWorkbench(const StartOptions& options) {
    // While the library waits for the sensor the window repaints and Cancel reaches the transfer.
    kvcom3::setEventPump([] { QCoreApplication::processEvents(); });
    int rc = 0;
    {
        MainWindow window;
        window.show();
        if (options.connect) window.connectTo(*options.connect);
        rc = QApplication::exec();
    }
    kvcom3::setEventPump(nullptr);
    return rc;
}
