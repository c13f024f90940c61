// The service tool's windows driven as a user would, against the virtual sensor on a pty.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <memory>

#include "frmSelectPort.h"
#include "frmThermAdjust.h"
#include "kvcom3/Clock.h"
#include "kvcom3/ISensMem.h"
#include "util/KvsimProcess.h"

namespace {

QApplication& application() {
    static int argc = 1;
    static char name[] = "thermadjust_tests";
    static char* argv[] = {name, nullptr};
    static QTemporaryDir config;
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // The per-user settings of these tests, not of whoever runs them.
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        return new QApplication(argc, argv);
    }();
    return *app;
}

class ThermAdjust : public ::testing::Test {
  protected:
    void SetUp() override {
        application();
        // Every test starts as a first run.
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "ThermAdjust", "ThermAdjust")
            .clear();
        ::setenv("KVCOM3_PORT_0", "/dev/kvcom3-test-no-port", 1);
        kvcom3::setEventPump([] { QCoreApplication::processEvents(); });
    }
    void TearDown() override {
        // The tool leaves its port open; the next test's sensor is another device.
        kvcom3::ISensMem().ClosePort(1);
        kvcom3::setEventPump(nullptr);
        ::unsetenv("KVCOM3_PORT_1");
    }

    void store(const QString& key, const QString& value) {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, "ThermAdjust", "ThermAdjust");
        s.setValue("Main/" + key, value);
    }
    QString storedValue(const QString& key) {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, "ThermAdjust", "ThermAdjust");
        return s.value("Main/" + key).toString();
    }

    // Starts the virtual sensor and binds port 1 to it.
    void startSensor(std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"--profile",  "p8-co2-temp-rh", "--protocol", "kvbus",
                                      "--no-noise", "--temperature",  "23.0"};
        args.insert(args.end(), extra.begin(), extra.end());
        sensor = std::make_unique<kvtest::KvsimProcess>(args);
        ::setenv("KVCOM3_PORT_1", sensor->path().c_str(), 1);
    }

    // OK in the port window, with the timer left to the test: each tick is run by hand (tick()
    // stops the timer the connect branch starts).
    frmThermAdjust& open(frmSelectPort& selection) {
        QTest::mouseClick(selection.cmdOK, Qt::LeftButton);
        frmThermAdjust& main = *selection.mainWindow();
        main.Timer1->stop();
        QEvent activated(QEvent::WindowActivate);
        QApplication::sendEvent(&main, &activated);
        return main;
    }

    static void tick(frmThermAdjust& main) {
        main.Timer1_Timer();
        main.Timer1->stop();
    }

    std::unique_ptr<kvtest::KvsimProcess> sensor;
};

}  // namespace

TEST_F(ThermAdjust, FirstRunSelectsPortOneAndKvbus) {
    frmSelectPort selection;
    EXPECT_EQ(selection.windowTitle(), "Select COM settings");
    EXPECT_EQ(selection.Frame1->title(), "Protocol");
    EXPECT_EQ(selection.lblLabels->text(), "ComPort");
    EXPECT_EQ(selection.txtComPort->text(), "1");
    EXPECT_TRUE(selection.optKVBUS->isChecked());
    EXPECT_FALSE(selection.optMODBUS->isChecked());
    EXPECT_TRUE(selection.cmdOK->isDefault());
}

TEST_F(ThermAdjust, PortTextIsSavedAsItsNumericValue) {
    frmSelectPort selection;
    selection.txtComPort->setText("COM3");
    selection.optMODBUS->setChecked(true);
    frmThermAdjust& main = open(selection);
    EXPECT_EQ(storedValue("COMport"), "0");
    EXPECT_EQ(storedValue("KVBUS"), "False");
    EXPECT_EQ(storedValue("MODBUS"), "True");
    EXPECT_EQ(main.windowTitle(), "ThermAdjust v 10");
    tick(main);  // connects to port 0
    EXPECT_EQ(kvcom3::ISensMem().Protokoll(), kvcom3::kvMB);
}

TEST_F(ThermAdjust, BothStoredChoicesFalseMeansModbus) {
    store("KVBUS", "False");
    store("MODBUS", "False");
    store("COMport", "0");
    frmSelectPort selection;
    EXPECT_FALSE(selection.optKVBUS->isChecked());
    EXPECT_FALSE(selection.optMODBUS->isChecked());
    frmThermAdjust& main = open(selection);
    tick(main);
    EXPECT_EQ(kvcom3::ISensMem().Protokoll(), kvcom3::kvMB);
}

TEST_F(ThermAdjust, ShowsTemperatureAndSerialNumberAndAdjustsTheOffset) {
    startSensor();
    frmSelectPort selection;
    frmThermAdjust& main = open(selection);
    EXPECT_EQ(main.lblTemp->text(), "---");
    tick(main);  // connect
    tick(main);  // first reading
    EXPECT_EQ(main.Timer1->interval(), 2000);
    EXPECT_TRUE(main.lblTemp->text().endsWith("C")) << main.lblTemp->text().toStdString();
    EXPECT_EQ(main.lblSN->text().toStdString(), "15212345");
    EXPECT_FALSE(main.lblErr->isVisible()) << main.lblErr->text().toStdString();

    int asked = 0;
    main.setInputBox([&](const QString& prompt) -> std::optional<QString> {
        ++asked;
        EXPECT_EQ(prompt, "Please enter correct temp");
        return QString("-3,5");
    });
    QTest::mouseClick(main.btnChange, Qt::LeftButton);
    QTest::mouseClick(main.btnChange, Qt::LeftButton);
    tick(main);  // the change
    tick(main);  // the next reading
    EXPECT_EQ(asked, 1) << "two clicks between ticks ask once";
    EXPECT_TRUE(main.lblTemp->text().startsWith("-3.5")) << main.lblTemp->text().toStdString();
    EXPECT_FALSE(main.lblErr->isVisible()) << main.lblErr->text().toStdString();
}

TEST_F(ThermAdjust, AnUnpluggedSensorGreysTheReadingAndStopsTheRefresh) {
    startSensor();
    frmSelectPort selection;
    frmThermAdjust& main = open(selection);
    tick(main);
    tick(main);
    QString shown = main.lblTemp->text();
    sensor->stop();
    tick(main);
    EXPECT_FALSE(main.lblTemp->isEnabled());
    EXPECT_FALSE(main.lblTempL->isEnabled());
    EXPECT_TRUE(main.lblErr->isVisible());
    EXPECT_FALSE(main.lblErr->text().isEmpty());
    EXPECT_FALSE(main.btnChange->isEnabled());
    tick(main);
    EXPECT_EQ(main.lblTemp->text(), shown) << "no refresh after an error";
}

TEST_F(ThermAdjust, CloseDuringATransferSaysPleaseWaitThenEnds) {
    startSensor({"--fault", "no-ctr"});
    frmSelectPort selection;
    frmThermAdjust& main = open(selection);
    QSignalSpy ended(&main, &frmThermAdjust::programEnded);
    tick(main);
    // The silent sensor keeps the reading busy; Close arrives through the event pump.
    QTimer::singleShot(300, &main, [&] { QTest::mouseClick(main.Command2, Qt::LeftButton); });
    tick(main);
    EXPECT_EQ(main.lblErr->text().toStdString(), "Please wait");
    EXPECT_EQ(ended.count(), 0);
    // A click that activated the window asks for a connect first, which takes its tick.
    for (int i = 0; i < 2 && ended.count() == 0; ++i) tick(main);
    EXPECT_EQ(ended.count(), 1);
}

TEST_F(ThermAdjust, TheTitleBarCloseBehavesLikeClose) {
    frmSelectPort selection;
    frmThermAdjust& main = open(selection);
    QSignalSpy ended(&main, &frmThermAdjust::programEnded);
    main.close();
    EXPECT_TRUE(main.isVisible()) << "the close waits for the timer";
    tick(main);
    EXPECT_EQ(ended.count(), 1);
}

TEST_F(ThermAdjust, AWindowNeverActivatedStillConnectsFirst) {
    ::setenv("KVCOM3_PORT_1", "/dev/kvcom3-test-no-port", 1);
    frmSelectPort selection;
    QTest::mouseClick(selection.cmdOK, Qt::LeftButton);
    frmThermAdjust& main = *selection.mainWindow();
    main.Timer1->stop();
    tick(main);  // no activation came: the tick connects instead of reading from nothing
    EXPECT_FALSE(main.lblErr->isVisible());
    tick(main);
    EXPECT_TRUE(main.lblErr->isVisible()) << "port 1 has no sensor in this test";
}
