#include <QApplication>
#include <QStringList>
#include <cstdio>

#include "Program.h"
#include "StartOptions.h"
#include "kvcom3/Journal.h"

int main(int argc, char* argv[]) {
    // Read before the window system is reached, so that --help and a wrong line answer on a
    // machine without a display too. Qt's own settings come from its environment variables.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
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
    // Every EEPROM write of the workbench, a calibration's too, is journaled first.
    kvcom3::enableJournal("kvworkbench");
    QApplication app(argc, argv);
    QApplication::setApplicationName("kvworkbench");
    return runWorkbench(options);
}
