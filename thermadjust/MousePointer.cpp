#include "MousePointer.h"

#include <QApplication>
#include <QCursor>

void setMousePointer(int shape) {
    if (shape == 0) {
        while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
        return;
    }
    QCursor cursor(shape == 11 ? Qt::WaitCursor : Qt::BusyCursor);
    if (QApplication::overrideCursor() != nullptr) {
        QApplication::changeOverrideCursor(cursor);
    } else {
        QApplication::setOverrideCursor(cursor);
    }
}
