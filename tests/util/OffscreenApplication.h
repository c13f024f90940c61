#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <QtGlobal>

namespace kvtest {

// The one QApplication of a Qt test program: offscreen, with per-user settings of its own so the
// tests never read or change those of whoever runs them. Created on first use.
inline QApplication& offscreenApplication() {
    static int argc = 1;
    static char name[] = "kv_qt_tests";
    static char* argv[] = {name, nullptr};
    static QTemporaryDir config;
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        return new QApplication(argc, argv);
    }();
    return *app;
}

}  // namespace kvtest
