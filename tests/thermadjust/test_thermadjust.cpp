// The service tool's windows driven as a user would, against the virtual sensor on a pty.
#include <gmock/gmock.h>
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
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Program.h"
#include "facade/LibraryState.h"
#include "frmSelectPort.h"
#include "frmThermAdjust.h"
#include "kvcom3/Clock.h"
#include "kvcom3/ISensMem.h"
#include "kvcom3/Journal.h"
#include "util/KvsimProcess.h"
#include "util/OffscreenApplication.h"

namespace {

inline QApplication& application() {
    return kvtest::offscreenApplication();
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

// What the port window opens with for what the store holds, what "OK" stores for what the user
// then did, and the protocol the main window connects with.
TEST_F(ThermAdjust, PortAndProtocolOptions) {
    enum Option { KV, MB };
    struct Row {
        const char* what;
        std::vector<std::pair<QString, QString>> stored;
        QString shownPort;
        bool shownKvbus;
        const char* typed;  // nullptr: the port text as shown
        std::vector<Option> clicks;
        QString savedPort, savedKvbus, savedModbus;
    };
    const Row rows[] = {
        {"first run", {}, "1", true, nullptr, {}, "1", "True", "False"},
        {"the chosen KVBUS clicked again", {}, "1", true, nullptr, {KV}, "1", "True", "False"},
        {"MODBUS clicked twice", {}, "1", true, nullptr, {MB, MB}, "1", "False", "True"},
        {"MODBUS, then KVBUS", {}, "1", true, nullptr, {MB, KV}, "1", "True", "False"},
        {"stored Modbus in any case",
         {{"COMport", "7"}, {"KVBUS", "fALSE"}, {"MODBUS", "tRuE"}},
         "7",
         false,
         nullptr,
         {},
         "7",
         "False",
         "True"},
        {"stored with neither chosen",
         {{"KVBUS", "False"}, {"MODBUS", "False"}},
         "1",
         true,
         nullptr,
         {},
         "1",
         "True",
         "False"},
        {"stored with both chosen",
         {{"KVBUS", "True"}, {"MODBUS", "True"}},
         "1",
         true,
         nullptr,
         {},
         "1",
         "True",
         "False"},
        {"a hand-edited store",
         {{"COMport", ""}, {"KVBUS", "yes"}, {"MODBUS", "1"}},
         "",
         true,
         nullptr,
         {},
         "0",
         "True",
         "False"},
        {"a port text with letters first", {}, "1", true, "COM3", {MB}, "0", "False", "True"},
        {"a port text with blanks and a tail", {}, "1", true, " 1 2abc", {}, "12", "True", "False"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "ThermAdjust", "ThermAdjust")
            .clear();
        for (const auto& [key, value] : row.stored) store(key, value);
        frmSelectPort selection;
        EXPECT_EQ(selection.txtComPort->text(), row.shownPort);
        EXPECT_EQ(selection.optKVBUS->isChecked(), row.shownKvbus);
        EXPECT_EQ(selection.optMODBUS->isChecked(), !row.shownKvbus);
        if (row.typed != nullptr) selection.txtComPort->setText(row.typed);
        for (Option click : row.clicks) {
            QTest::mouseClick(click == KV ? selection.optKVBUS : selection.optMODBUS,
                              Qt::LeftButton);
        }
        EXPECT_NE(selection.optKVBUS->isChecked(), selection.optMODBUS->isChecked())
            << "one option is always chosen";
        frmThermAdjust& main = open(selection);
        EXPECT_EQ(main.windowTitle(), "ThermAdjust v 10");
        EXPECT_EQ(storedValue("COMport"), row.savedPort);
        EXPECT_EQ(storedValue("KVBUS"), row.savedKvbus);
        EXPECT_EQ(storedValue("MODBUS"), row.savedModbus);
        const bool kvbus = row.savedKvbus == "True";
        kvcom3::ISensMem().LetProtokoll(kvbus ? kvcom3::kvMB : kvcom3::kvKV);
        tick(main);  // connects; the port itself is opened only by the first reading
        EXPECT_EQ(kvcom3::ISensMem().Protokoll(), kvbus ? kvcom3::kvKV : kvcom3::kvMB);
        EXPECT_FALSE(main.lblErr->isVisible()) << main.lblErr->text().toStdString();
    }
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

// What the "Change" dialog's answers lead to: an adjustment, nothing, or (after a failed
// adjustment) the question again on the next tick. The rows run in turn on one sensor.
TEST_F(ThermAdjust, ChangeDialogAnswers) {
    struct Row {
        const char* what;
        std::vector<std::optional<QString>> answers;
        const char* reading;  // how the temperature reads afterwards
        const char* error;    // "": none shown
    };
    const Row rows[] = {
        {"Cancel", {std::nullopt}, "23", ""},
        {"an empty answer", {""}, "23", ""},
        {"a decimal comma and a unit", {"21,5 \u00b0C"}, "21.5", ""},
        {"a temperature the table cannot take, then Cancel",
         {"99999", std::nullopt},
         "21.5",
         "Overflow"},
    };
    startSensor();
    frmSelectPort selection;
    frmThermAdjust& main = open(selection);
    tick(main);  // connect
    tick(main);  // first reading
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::size_t asked = 0;
        main.setInputBox([&](const QString&) {
            return asked < row.answers.size() ? row.answers[asked++] : std::nullopt;
        });
        QTest::mouseClick(main.btnChange, Qt::LeftButton);
        for (int i = 0; i < 3; ++i) tick(main);
        EXPECT_EQ(asked, row.answers.size());
        EXPECT_TRUE(main.lblTemp->text().startsWith(row.reading))
            << main.lblTemp->text().toStdString();
        EXPECT_EQ(main.lblErr->isVisible() ? main.lblErr->text() : QString(), row.error);
    }
}

// A sensor that stops answering in the middle of the adjustment's table. When it answers again
// at once, the one try to put the bytes back leaves them as they were; when it was unplugged, that
// try fails too and the error names the undo for later.
TEST_F(ThermAdjust, AnAdjustmentCutShortPutsItsBytesBackOrNamesTheUndo) {
    struct Row {
        const char* what;
        const char* fault;
        std::vector<std::string> said;
        bool putBack;
    };
    const Row rows[] = {
        {"unplugged",
         "unplug@36",
         {"could not be put back (error 75: ",
          "'kvtool undo 1' puts them back when the sensor answers"},
         false},
        // Each of the transfer's 50 attempts refused at once: the failure costs no time-outs.
        {"one transfer refused",
         "wrong-ctr@36-85",
         {"the EEPROM bytes changed before the failure are back as they were (operation 1"},
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QTemporaryDir journal;
        kvcom3::enableJournal("ThermAdjust", journal.path().toStdString());
        startSensor({"--fault", row.fault});
        std::string said;
        {
            frmSelectPort selection;
            frmThermAdjust& main = open(selection);
            main.setInputBox([](const QString&) { return QString("21.5"); });
            tick(main);  // connect
            QTest::mouseClick(main.btnChange, Qt::LeftButton);
            tick(main);
            said = main.lblErr->text().toStdString();
        }
        for (const std::string& text : row.said) EXPECT_THAT(said, ::testing::HasSubstr(text));
        if (row.putBack) {
            // Some blocks of the table went out before the failure.
            EXPECT_THAT(said, ::testing::Not(::testing::HasSubstr(", 0 bytes written")));
            std::vector<kvcom3::JournalByte> changed;
            const auto place = kvcom3::lastJournalOperation();
            ASSERT_TRUE(place);
            for (const auto& op : kvcom3::journalOperations(kvcom3::readJournal(place->file)))
                if (op.id == 1) changed = op.changes();
            ASSERT_FALSE(changed.empty());
            kvcom3::ISensMem check;
            check.Connect(1, -1);
            auto level = check.AdressLevel();
            const std::int32_t first = changed.front().address;
            level->ReadFromSensor(first, changed.back().address - first + 1, kvcom3::kvEEPROM,
                                  kvcom3::kvReadFromSensor);
            for (const auto& b : changed)
                EXPECT_EQ(level->Value(b.address, 1, kvcom3::kvEEPROM), b.before)
                    << "EEPROM " << b.address;
        }
        kvcom3::disableJournal();
        kvcom3::ISensMem().ClosePort(1);
    }
}

TEST_F(ThermAdjust, AChangeClickDuringATickIsServedByTheNext) {
    startSensor();
    frmSelectPort selection;
    frmThermAdjust& main = open(selection);
    int asked = 0;
    main.setInputBox([&](const QString&) -> std::optional<QString> {
        ++asked;
        return std::nullopt;
    });
    tick(main);  // connect
    // The first reading lets window events run; the click lands in the middle of it.
    QTimer::singleShot(0, &main, [&] { QTest::mouseClick(main.btnChange, Qt::LeftButton); });
    tick(main);
    EXPECT_EQ(asked, 0);
    tick(main);
    EXPECT_EQ(asked, 1);
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

// Gone while the pty behind the port's link is closed; read again once a new sensor's pty is
// behind the same link, without a new start of the program.
TEST_F(ThermAdjust, ASensorThatComesBackUnderItsLinkIsReadAgain) {
    QTemporaryDir dir;
    const std::string link = (dir.path() + "/sensor").toStdString();
    startSensor({"--link", link});
    ::setenv("KVCOM3_PORT_1", link.c_str(), 1);
    frmSelectPort selection;
    frmThermAdjust& main = open(selection);
    tick(main);
    tick(main);
    sensor->stop();
    tick(main);
    EXPECT_THAT(main.lblErr->text().toStdString(), ::testing::StartsWith("Sensor gone since "));
    EXPECT_FALSE(main.lblTemp->isEnabled());
    EXPECT_FALSE(main.btnChange->isEnabled());
    main.lblTemp->setText("---");
    tick(main);
    EXPECT_EQ(main.lblTemp->text(), "---") << "nothing to read while the device is away";
    startSensor({"--link", link});
    ::setenv("KVCOM3_PORT_1", link.c_str(), 1);
    tick(main);  // back: connected anew
    tick(main);
    EXPECT_FALSE(main.lblErr->isVisible()) << main.lblErr->text().toStdString();
    EXPECT_TRUE(main.lblTemp->isEnabled());
    EXPECT_TRUE(main.btnChange->isEnabled());
    EXPECT_THAT(main.lblTemp->text().toStdString(), ::testing::StartsWith("23"));
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
    tick(main);
    EXPECT_EQ(ended.count(), 1) << "the close comes before any connect a click asked for";
}

TEST_F(ThermAdjust, TheTitleBarCloseBehavesLikeClose) {
    frmSelectPort selection;
    frmThermAdjust& main = open(selection);
    QSignalSpy ended(&main, &frmThermAdjust::programEnded);
    main.close();
    EXPECT_TRUE(main.isVisible()) << "the close waits for the timer";
    tick(main);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(main.isVisible());
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

namespace {

frmSelectPort* portWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* selection = qobject_cast<frmSelectPort*>(w)) return selection;
    }
    return nullptr;
}

frmThermAdjust* mainWindow() {
    frmSelectPort* selection = portWindow();
    return selection != nullptr ? selection->mainWindow() : nullptr;
}

void clickOK(const char* port) {
    portWindow()->txtComPort->setText(port);
    QTest::mouseClick(portWindow()->cmdOK, Qt::LeftButton);
}

bool readingShown() {
    return mainWindow() != nullptr && mainWindow()->lblSN->text() != "---";
}

bool errorShown() {
    return mainWindow() != nullptr && mainWindow()->lblErr->isVisible();
}

// The normal cycle has begun its reading (it sets the long interval first).
bool readingUnderWay() {
    return mainWindow() != nullptr && mainWindow()->Timer1->interval() == 2000 && !errorShown();
}

void clickClose() {
    QTest::mouseClick(mainWindow()->Command2, Qt::LeftButton);
}

}  // namespace

// Every way out of the program returns from its event loop: the program as main() runs it, with
// each step taken once its window shows what it waits for, and a watchdog that gives up.
TEST_F(ThermAdjust, EveryWayOutEndsTheProgram) {
    enum Sensor { None, Answering, Silent };
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    struct Row {
        const char* way;
        Sensor sensor;  // on port 1
        std::vector<Step> steps;
    };
    const auto portWindowUp = [] { return portWindow() != nullptr && portWindow()->isVisible(); };
    const Row rows[] = {
        {"Close", Answering, {{portWindowUp, [] { clickOK("1"); }}, {readingShown, clickClose}}},
        {"the title-bar close",
         Answering,
         {{portWindowUp, [] { clickOK("1"); }}, {readingShown, [] { mainWindow()->close(); }}}},
        {"Cancel in the port window",
         None,
         {{portWindowUp, [] { QTest::mouseClick(portWindow()->cmdCancel, Qt::LeftButton); }}}},
        {"Escape in the port window",
         None,
         {{portWindowUp, [] { QTest::keyClick(portWindow(), Qt::Key_Escape); }}}},
        {"Close with the port window hidden",
         None,
         {{portWindowUp, [] { clickOK("1"); }},
          {errorShown, [] { QTest::keyClick(portWindow(), Qt::Key_Escape); }},
          {[] { return !portWindow()->isVisible(); }, clickClose}}},
        {"Close during a transfer",
         Silent,
         {{portWindowUp, [] { clickOK("1"); }}, {readingUnderWay, clickClose}}},
        {"Close when the port cannot be closed",
         None,
         {{portWindowUp, [] { clickOK("30"); }}, {errorShown, clickClose}}},
        {"Close after a failed connect",
         None,
         {{portWindowUp, [] { clickOK("70000"); }}, {errorShown, clickClose}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.way);
        // Each row is a new run of the program: a Close with no transfer running leaves the
        // library's cancel flag set, and in one process the next run would meet it.
        kvcom3::gCancel = false;
        if (row.sensor == Answering) startSensor();
        if (row.sensor == Silent) startSensor({"--fault", "no-ctr"});
        // The steps must come within a generous time (the first reading generates the map and
        // the tree over the line); the way out must end the loop within seconds.
        QTimer watchdog;
        watchdog.setSingleShot(true);
        bool timedOut = false;
        QObject::connect(&watchdog, &QTimer::timeout, [&] {
            timedOut = true;
            QCoreApplication::exit(1);
        });
        watchdog.start(30000);
        std::size_t next = 0;
        QTimer driver;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (next == row.steps.size() || !row.steps[next].ready()) return;
            row.steps[next++].act();
            if (next == row.steps.size()) watchdog.start(3000);
        });
        driver.start(10);
        const int rc = runThermAdjust();
        EXPECT_EQ(next, row.steps.size()) << "steps taken";
        EXPECT_FALSE(timedOut) << "the event loop did not return";
        EXPECT_EQ(rc, 0);
        EXPECT_EQ(portWindow(), nullptr);
        kvcom3::setEventPump([] { QCoreApplication::processEvents(); });
        kvcom3::ISensMem().ClosePort(1);
        sensor.reset();
        ::setenv("KVCOM3_PORT_1", "/dev/kvcom3-test-no-port", 1);
    }
}
