#include "Program.h"

#include <QApplication>
#include <memory>

#include "frmSelectPort.h"
#include "kvcal3/UserInteraction.h"
#include "kvcal3/ui/QtUserInteraction.h"
#include "kvcom3/Clock.h"

int runThermAdjust() {
    // While the libraries wait for the sensor the window stays alive, and "Close" reaches a
    // running transfer.
    kvcom3::setEventPump([] { QCoreApplication::processEvents(); });
    // What the calibration asks of the user appears as Qt dialogs.
    kvcal3::setUserInteraction(std::make_shared<kvcal3::ui::QtUserInteraction>());
    int rc = 0;
    {
        frmSelectPort selection;
        selection.show();
        rc = QApplication::exec();
    }
    kvcom3::setEventPump(nullptr);
    kvcal3::setUserInteraction(nullptr);
    return rc;
}
