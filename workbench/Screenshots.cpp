#include "Screenshots.h"

#include <QDir>
#include <QDockWidget>
#include <QDoubleSpinBox>
#include <QEventLoop>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

#include "MainWindow.h"
#include "ScopePanel.h"

namespace {

QString fileName(QString title) {
    return "workbench-" + title.remove('&').toLower().replace(' ', '-') + ".png";
}

// Lets the window lay out and paint what it was just asked to show.
void settle(int milliseconds = 300) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// The scope shows a short recording of the temperature and the humidity.
void record(ScopePanel& scope) {
    if (!scope.addObjects({"foChannelValue4", "foChannelValue6"})) return;
    scope.interval->setValue(0.2);
    if (!scope.start()) return;
    settle(4000);
    scope.stop();
}

bool save(QWidget& widget, const QDir& folder, const QString& title) {
    const QString path = folder.filePath(fileName(title));
    if (widget.grab().save(path)) return true;
    std::fprintf(stderr, "kvworkbench: %s could not be written\n", path.toLocal8Bit().constData());
    return false;
}

}  // namespace

bool saveScreenshots(MainWindow& window, const QString& folder) {
    const QDir dir(folder);
    if (!dir.mkpath(".")) {
        std::fprintf(stderr, "kvworkbench: %s could not be made\n",
                     folder.toLocal8Bit().constData());
        return false;
    }
    window.resize(1100, 800);
    bool ok = true;
    for (int tab = 0; tab < window.tabs->count(); ++tab) {
        window.tabs->setCurrentIndex(tab);
        // A panel that reads on request shows what the sensor holds: its Read buttons are
        // pressed first (a click returns once the read has ended; reading changes nothing).
        for (QPushButton* button : window.tabs->widget(tab)->findChildren<QPushButton*>())
            if (button->text().startsWith("Read") && button->isEnabled()) button->click();
        if (auto* scope = qobject_cast<ScopePanel*>(window.tabs->widget(tab))) record(*scope);
        settle();
        ok = save(window, dir, window.tabs->tabText(tab)) && ok;
    }
    for (QDockWidget* dock : window.findChildren<QDockWidget*>()) {
        dock->show();
        settle();
        ok = save(*dock, dir, dock->windowTitle()) && ok;
    }
    return ok;
}
