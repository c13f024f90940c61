#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "MainWindow.h"
#include "kvcom3/Clock.h"
#include "util/KvsimProcess.h"
#include "util/OffscreenApplication.h"

namespace wbtest {

inline QApplication& application() {
    return kvtest::offscreenApplication();
}

inline QSettings settings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "kvworkbench", "kvworkbench");
}

// The window's tests: the program's event pump, a first run's settings, and the virtual sensor
// on a pty when a test starts it.
class Workbench : public ::testing::Test {
  protected:
    void SetUp() override {
        application();
        settings().clear();
        kvcom3::setEventPump([] { QCoreApplication::processEvents(); });
    }
    void TearDown() override { kvcom3::setEventPump(nullptr); }

    void startSensor(std::vector<std::string> extra = {}, const std::string& protocol = "kvbus") {
        std::vector<std::string> args{"--profile",  "p8-co2-temp-rh", "--protocol", protocol,
                                      "--no-noise", "--temperature",  "23.0"};
        args.insert(args.end(), extra.begin(), extra.end());
        sensor = std::make_unique<kvtest::KvsimProcess>(args);
    }

    // A shown window connected to the sensor started before; null when the connect failed.
    std::unique_ptr<MainWindow> connectedWindow() {
        auto window = std::make_unique<MainWindow>();
        window->show();
        if (!window->connectTo({QString::fromStdString(sensor->path()), 1, false, -1, 0, 0}))
            return nullptr;
        return window;
    }

    std::unique_ptr<kvtest::KvsimProcess> sensor;
};

}  // namespace wbtest
