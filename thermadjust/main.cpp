#include <QApplication>
#include <memory>

#include "frmSelectPort.h"
#include "frmThermAdjust.h"
#include "kvcal3/UserInteraction.h"
#include "kvcal3/ui/QtUserInteraction.h"
#include "kvcom3/Clock.h"
#include "kvcom3/Journal.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("ThermAdjust");
    // While the libraries wait for the sensor the window stays alive, and "Close" reaches a
    // running transfer.
    kvcom3::setEventPump([] { QCoreApplication::processEvents(); });
    // What the calibration asks of the user appears as Qt dialogs.
    kvcal3::setUserInteraction(std::make_shared<kvcal3::ui::QtUserInteraction>());
    // Every EEPROM change is journaled first, so a calibration cut short can be undone.
    kvcom3::enableJournal("ThermAdjust");
    frmSelectPort selection;
    selection.show();
    int rc = QApplication::exec();
    kvcom3::setEventPump(nullptr);
    kvcal3::setUserInteraction(nullptr);
    return rc;
}
