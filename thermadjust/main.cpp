#include <QApplication>

#include "Program.h"
#include "kvcom3/Journal.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("ThermAdjust");
    // Every EEPROM change is journaled first, so a calibration cut short can be undone.
    kvcom3::enableJournal("ThermAdjust");
    return runThermAdjust();
}
