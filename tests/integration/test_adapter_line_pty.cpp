// Adapter options on a real termios line: what a pseudo-terminal can show of them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <optional>

#include "PtyPair.h"
#include "facade/LibraryState.h"
#include "kvcom3/KvError.h"
#include "kvcom3/Ports.h"
#include "kvcom3/clsAdressLevel.h"
#include "link/ComPort.h"
#include "link/PortTable.h"
#include "util/FakeSensor.h"
#include "util/ServedPty.h"
#include "wire/Bench.h"

using namespace kvcom3;
using namespace std::chrono_literals;

namespace {

constexpr int kPort = 9;

termios settingsOf(const std::string& path) {
    termios tio{};
    int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    EXPECT_GE(fd, 0) << path;
    EXPECT_EQ(::tcgetattr(fd, &tio), 0);
    ::close(fd);
    return tio;
}

class AdapterLinePty : public ::testing::Test {
  protected:
    void SetUp() override {
        gConnection = Connection{true, kPort, 1, 0, 0};
        gProtokoll = kvMB;
        gLeavePortOpen = true;
    }
    void TearDown() override {
        gLeavePortOpen = false;
        unbindPort(kPort);
        setPortOptions(kPort, std::nullopt);
        ::unsetenv("KVCOM3_BAUD");
        ::unsetenv("KVCOM3_ECHO");
        gConnection = Connection{};
        gProtokoll = kvKV;
    }
};

}  // namespace

TEST_F(AdapterLinePty, Rs485RefusedByAPtyFallsBackToRtsAndChangesNothingElse) {
    PtyPair pty;
    bindPort(kPort, pty.slavePath());
    setPortOptions(kPort, PortOptions{.rs485 = true});
    auto device = makeTermiosDevice(pty.slavePath());
    device->open(LineSettings::parse("9600,n,8,2"), false);
    const termios before = settingsOf(pty.slavePath());
    EXPECT_FALSE(device->requestRs485()) << "a pty has no RS-485 mode";
    const termios after = settingsOf(pty.slavePath());
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    device->close();

    // The port then raises RTS around each frame itself; the frame still crosses whole.
    OpenCOMport();
    const std::vector<std::uint8_t> frame{0x01, 0x44, 0x00, 0x14};
    currentPort().write(frame);
    EXPECT_EQ(pty.receive(frame.size()), frame);
    EXPECT_FALSE(currentPort().rts()) << "the transmitter is off again between frames";
    pty.send({0x55});
    EXPECT_TRUE(WaitForBytes(1, 2s));
    EXPECT_EQ(currentPort().readAll(), std::vector<std::uint8_t>{0x55});
}

TEST_F(AdapterLinePty, ModbusBaudRateReachesTheLineOrEndsInAClearError) {
    struct Case {
        const char* name;
        std::optional<PortOptions> options;
        const char* baudVariable;  // KVCOM3_BAUD, when set
        speed_t speed;
        int error;
        const char* errorText;
    } cases[] = {
        {"default", std::nullopt, nullptr, B9600, 0, ""},
        {"option", PortOptions{.modbusBaud = 19200}, nullptr, B19200, 0, ""},
        {"variable", std::nullopt, "115200", B115200, 0, ""},
        {"option over variable", PortOptions{.modbusBaud = 38400}, "115200", B38400, 0, ""},
        {"not a number", std::nullopt, "fast", B9600, 380, "KVCOM3_BAUD=fast"},
        {"not a termios rate", PortOptions{.modbusBaud = 12345}, nullptr, B9600, 380,
         "baud rate 12345"},
    };
    auto sensor = std::make_shared<kvtest::FakeSensor>(8, true, 2);
    sensor->memory(kvsim::Space::RAM)[65] = 20 << 3;  // a platform-8 part
    kvtest::ServedPty served(kvsim::makeLine(
        {kvsim::Station{.sensor = sensor, .protocol = kvsim::Protocol::Modbus, .id = 1}}));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bindPort(kPort, served.path());
        setPortOptions(kPort, c.options);
        if (c.baudVariable) {
            ::setenv("KVCOM3_BAUD", c.baudVariable, 1);
        } else {
            ::unsetenv("KVCOM3_BAUD");
        }
        clsAdressLevel level;
        try {
            level.ReadFromSensor(20, 2, kvRAM);
            EXPECT_EQ(c.error, 0);
            const termios tio = settingsOf(served.path());
            EXPECT_EQ(::cfgetospeed(&tio), c.speed);
            EXPECT_EQ(::cfgetispeed(&tio), c.speed);
            EXPECT_TRUE(tio.c_cflag & CSTOPB);
        } catch (const KvError& e) {
            EXPECT_EQ(e.number(), c.error) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.errorText), std::string::npos) << e.what();
            EXPECT_FALSE(portSlot(kPort).isOpen()) << "a refused rate leaves no port open";
        }
        unbindPort(kPort);
    }
}
