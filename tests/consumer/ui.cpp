// Installs the Qt look of the calibration library's questions, as a Qt program does before it
// calibrates, and opens the reading display once.
#include <QApplication>
#include <iostream>
#include <memory>

#include <kvcal3/UserInteraction.h>
#include <kvcal3/ui/QtUserInteraction.h>
#include <kvcal3/ui/frmShowReading.h>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    auto look = std::make_shared<kvcal3::ui::QtUserInteraction>();
    kvcal3::setUserInteraction(look);
    kvcal3::ui::frmShowReading& display = look->Display();
    display.show();
    QApplication::processEvents();
    const bool shown = display.isVisible();
    // The windows go before the application that owns the window system.
    kvcal3::setUserInteraction(nullptr);
    std::cout << (shown ? "reading display shown" : "reading display hidden") << '\n';
    return shown ? 0 : 1;
}
