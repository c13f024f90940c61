#include "Program.h"

#include <QApplication>
#include <cstdio>

#include "MainWindow.h"
#include "StartOptions.h"
#include "kvcom3/Clock.h"

int runWorkbench(const QStringList& arguments) {
    const StartOptions options = parseStartOptions(arguments);
    if (options.help) {
        std::fputs(startUsage().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "kvworkbench: %s\n%s", options.error.toLocal8Bit().constData(),
                     startUsage().toLocal8Bit().constData());
        return 2;
    }
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
