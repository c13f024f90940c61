#include "Screenshots.h"

#include <QDir>
#include <QDockWidget>
#include <QEventLoop>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

#include "MainWindow.h"

namespace {

QString fileName(QString title) {
    return title.remove('&').toLower().replace(' ', '-') + ".png";
}

// Lets the window lay out and paint what it was just asked to show.
void settle() {
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
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
    bool ok = true;
    for (int tab = 0; tab < window.tabs->count(); ++tab) {
        window.tabs->setCurrentIndex(tab);
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
