// The connection panel: the command line, the remembered choice, the port list, and connecting
// to the virtual sensor as a user would.
#include <sys/stat.h>
#include <unistd.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "Activity.h"
#include "ConnectPanel.h"
#include "MainWindow.h"
#include "PortListModel.h"
#include "StartOptions.h"
#include "WorkbenchTest.h"
#include "kvcom3/Ports.h"

namespace {

namespace fs = std::filesystem;
using wbtest::Workbench;

TEST(StartOptions, CommandLines) {
    struct Row {
        QStringList line;
        bool connects;
        QString device;
        int port, id;
        bool modbus;
        bool error;
    };
    const Row rows[] = {
        {{}, false, "", 1, -1, false, false},
        {{"--device", "/dev/pts/7"}, true, "/dev/pts/7", 1, -1, false, false},
        {{"--port", "3", "--protocol", "modbus", "--id", "17"}, true, "", 3, 17, true, false},
        {{"--device", "/tmp/s", "--port", "0", "--id", "-1"}, true, "/tmp/s", 0, -1, false, false},
        {{"--port", "24"}, false, "", 1, -1, false, true},
        {{"--port", "two"}, false, "", 1, -1, false, true},
        {{"--id", "256", "--port", "1"}, false, "", 1, -1, false, true},
        {{"--device", "/tmp/s", "--protocol", "rtu"}, false, "", 1, -1, false, true},
        {{"--protocol", "modbus"}, false, "", 1, -1, false, true},
        {{"--device"}, false, "", 1, -1, false, true},
        {{"--device", ""}, false, "", 1, -1, false, true},
        {{"--baud", "9600"}, false, "", 1, -1, false, true},
        {{"--screenshots", "docs", "--device", "/tmp/s"}, true, "/tmp/s", 1, -1, false, false},
        {{"--screenshots"}, false, "", 1, -1, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line.join(' ').toStdString());
        const StartOptions options = parseStartOptions(QStringList{"kvworkbench"} + row.line);
        EXPECT_EQ(!options.error.isEmpty(), row.error);
        ASSERT_EQ(options.connect.has_value(), row.connects);
        if (!row.connects) continue;
        EXPECT_EQ(options.connect->device, row.device);
        EXPECT_EQ(options.connect->port, row.port);
        EXPECT_EQ(options.connect->id, row.id);
        EXPECT_EQ(options.connect->modbus, row.modbus);
    }
}

// A hand-edited store never reaches the library with a number it would refuse.
TEST_F(Workbench, RemembersTheChoiceAndIgnoresStoredNonsense) {
    {
        MainWindow window;
        EXPECT_EQ(window.connectPanel->choice(), ConnectionChoice{});
        window.connectPanel->setChoice({"/dev/no-such-sensor", 5, true, 12, 300, 4});
        EXPECT_FALSE(window.connectSensor());
    }
    MainWindow again;
    EXPECT_EQ(again.connectPanel->choice(),
              (ConnectionChoice{"/dev/no-such-sensor", 5, true, 12, 300, 4}));
    auto store = wbtest::settings();
    store.setValue("connection/port", 99);
    store.setValue("connection/id", "x");
    store.setValue("connection/board", -3);
    store.sync();
    const ConnectionChoice loaded = loadChoice(store);
    EXPECT_EQ(loaded.port, 1);
    EXPECT_EQ(loaded.id, -1);
    EXPECT_EQ(loaded.board, 0);
    EXPECT_EQ(loaded.position, 4);
}

// A machine of its own: an adapter the user may not open until in its group, and a second one
// plugged in while the list is shown.
TEST_F(Workbench, PortListShowsAdaptersAccessAndFollowsPlugging) {
    QTemporaryDir root;
    const fs::path dev = root.path().toStdString() + "/dev";
    const fs::path sys = root.path().toStdString() + "/sys";
    fs::create_directories(dev / "serial/by-id");
    std::ofstream(dev / "ttyUSB0").flush();
    ::chmod((dev / "ttyUSB0").c_str(), 0060);
    fs::create_symlink("../../ttyUSB0", dev / "serial/by-id/usb-FTDI_A1-if00-port0");
    const fs::path usb = sys / "devices/usb1/1-1";
    fs::create_directories(usb / "1-1:1.0");
    std::ofstream(usb / "idVendor") << "0403\n";
    std::ofstream(usb / "idProduct") << "6001\n";
    std::ofstream(usb / "product") << "FT232R USB UART\n";
    fs::create_directories(sys / "class/tty/ttyUSB0");
    fs::create_directory_symlink(usb / "1-1:1.0", sys / "class/tty/ttyUSB0/device");

    ConnectPanel panel({dev.string(), sys.string()});
    PortListModel& list = *panel.portList;
    ASSERT_EQ(list.rowCount(), 1);
    const auto cell = [&](int row, int column) {
        return list.index(row, column).data().toString();
    };
    EXPECT_EQ(cell(0, PortListModel::Device), QString::fromStdString((dev / "ttyUSB0").string()));
    EXPECT_EQ(cell(0, PortListModel::ById), "usb-FTDI_A1-if00-port0");
    EXPECT_EQ(cell(0, PortListModel::Usb), "0403:6001 FT232R USB UART");
    if (::geteuid() != 0) {
        EXPECT_TRUE(cell(0, PortListModel::Access).startsWith("no access: group "));
        EXPECT_TRUE(cell(0, PortListModel::Access).contains("sudo usermod -aG"));
    }
    panel.portTable->selectRow(0);
    EXPECT_EQ(panel.device->text(), cell(0, PortListModel::Device));

    std::ofstream(dev / "ttyACM0").flush();
    EXPECT_TRUE(QTest::qWaitFor([&] { return list.rowCount() == 2; }, 5000));
    fs::remove(dev / "ttyACM0");
    EXPECT_TRUE(QTest::qWaitFor([&] { return list.rowCount() == 1; }, 5000));
}

TEST_F(Workbench, ConnectShowsIdentityAndDisconnectForgetsIt) {
    startSensor();
    MainWindow window;
    window.show();
    window.connectPanel->device->setText(QString::fromStdString(sensor->path()));
    window.connectPanel->port->setValue(2);
    QTest::mouseClick(window.connectPanel->connectButton, Qt::LeftButton);
    EXPECT_EQ(window.identityLabel->text(),
              "Platform 8 · part number 152 · serial number 15212345 · EEPROM 2048 bytes")
        << window.messageLabel->text().toStdString();
    EXPECT_FALSE(window.connectPanel->connectButton->isEnabled());
    EXPECT_FALSE(window.connectPanel->device->isEnabled());

    QTest::mouseClick(window.connectPanel->disconnectButton, Qt::LeftButton);
    EXPECT_EQ(window.identityLabel->text(), "Not connected");
    EXPECT_TRUE(window.connectPanel->connectButton->isEnabled());
    EXPECT_FALSE(window.connection().isOpen());
    // The device was bound only while connected.
    EXPECT_NE(kvcom3::portDevicePath(2), sensor->path());

    // A sensor that is gone is a message, not a hung window.
    sensor->stop();
    QTest::mouseClick(window.connectPanel->connectButton, Qt::LeftButton);
    EXPECT_EQ(window.identityLabel->text(), "Not connected");
    EXPECT_TRUE(window.messageLabel->text().startsWith("Connect failed: "))
        << window.messageLabel->text().toStdString();
    EXPECT_TRUE(window.close());
}

// Closing during a connect that waits for a silent sensor cancels it and then closes.
TEST_F(Workbench, CloseDuringConnectCancelsAndCloses) {
    startSensor({"--fault", "no-ack@1+"});
    MainWindow window;
    window.show();
    window.connectPanel->device->setText(QString::fromStdString(sensor->path()));
    QTimer::singleShot(300, &window, &MainWindow::close);
    EXPECT_FALSE(window.connectSensor());
    EXPECT_TRUE(window.messageLabel->text().contains("cancelled"))
        << window.messageLabel->text().toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 2000));
    EXPECT_FALSE(window.connection().isOpen());
}

}  // namespace
