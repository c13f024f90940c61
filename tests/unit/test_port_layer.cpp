#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "FakeSerialDevice.h"
#include "facade/LibraryState.h"
#include "kvcom3/KvError.h"
#include "kvcom3/ManualClock.h"
#include "kvcom3/Ports.h"
#include "link/ComPort.h"

using namespace kvcom3;
using namespace std::chrono_literals;

namespace {

class PortLayer : public ::testing::Test {
  protected:
    void SetUp() override {
        clock = std::make_shared<ManualClock>();
        setClock(clock);
        device = std::make_shared<FakeSerialDevice>();
        bindPort(3, device);
        gConnection = Connection{true, 3, -1, 0, 0};
        gLeavePortOpen = false;
    }
    void TearDown() override {
        unbindPort(3);
        setClock(nullptr);
        setEventPump(nullptr);
        gConnection = Connection{};
        gLeavePortOpen = false;
    }

    std::shared_ptr<ManualClock> clock;
    std::shared_ptr<FakeSerialDevice> device;
};

}  // namespace

TEST_F(PortLayer, OpenAndCloseFollowOnLineAndLeaveOpen) {
    int pumps = 0;
    setEventPump([&] { ++pumps; });

    OpenCOMport();
    OpenCOMport();  // already open: nothing more
    EXPECT_EQ(device->opens, 1);
    EXPECT_EQ(pumps, 2);
    EXPECT_EQ(device->lowLatencyRequests, 1) << "each open asks the driver for low latency";

    gLeavePortOpen = true;
    CloseCOMport();  // leaves the port open and does not even run the event pump
    EXPECT_TRUE(device->isOpen());
    EXPECT_EQ(pumps, 2);

    gLeavePortOpen = false;
    CloseCOMport();
    CloseCOMport();  // closed already: nothing more
    EXPECT_EQ(device->closes, 1);

    gConnection.OnLine = false;
    OpenCOMport();
    EXPECT_FALSE(device->isOpen()) << "off line never opens";
    portSlot(3).open();
    CloseCOMport();
    EXPECT_TRUE(device->isOpen()) << "off line never closes";
}

TEST_F(PortLayer, SettingsAndRtsPersistInTheSlotAcrossOpenAndClose) {
    gConnection.OnLine = false;
    RTSenable(true);  // off line and closed: remembered
    portSlot(3).setSettings("9600,n,8,2");
    gConnection.OnLine = true;
    OpenCOMport();
    EXPECT_TRUE(device->rts);
    EXPECT_EQ(device->settings.stopBits, 2);

    portSlot(3).setSettings("9600,n,8,1");  // applied to the open port at once
    EXPECT_EQ(device->settings.stopBits, 1);
    CloseCOMport();
    RTSenable(false);
    OpenCOMport();
    EXPECT_FALSE(device->rts);
    EXPECT_EQ(portSlot(3).settingsText(), "9600,n,8,1");
}

TEST_F(PortLayer, BadSettingsLeaveTheSlotAsItWas) {
    portSlot(3).setSettings("9600,n,8,2");
    EXPECT_THROW(portSlot(3).setSettings("garbage"), KvError);
    EXPECT_EQ(portSlot(3).settingsText(), "9600,n,8,2");
}

TEST_F(PortLayer, PortNumbersOutsideTheTableRaiseSubscriptOutOfRange) {
    for (int port : {-1, 24, 100}) {
        try {
            portSlot(port);
            ADD_FAILURE() << port;
        } catch (const KvError& e) {
            EXPECT_EQ(e.number(), 9);
            EXPECT_NE(e.description().find(std::to_string(port)), std::string::npos);
        }
    }
    gConnection.ComPort = 24;
    EXPECT_THROW(OpenCOMport(), KvError);
}

TEST_F(PortLayer, DevicePathComesFromBindingThenEnvironmentThenDefault) {
    EXPECT_EQ(portDevicePath(0), "/dev/ttyS0");
    EXPECT_EQ(portDevicePath(1), "/dev/ttyUSB0");
    EXPECT_EQ(portDevicePath(23), "/dev/ttyUSB22");
    ::setenv("KVCOM3_PORT_5", "/dev/ttyACM0", 1);
    EXPECT_EQ(portDevicePath(5), "/dev/ttyACM0");
    bindPort(5, std::string("/tmp/kvsim-a"));
    EXPECT_EQ(portDevicePath(5), "/tmp/kvsim-a");
    unbindPort(5);
    ::unsetenv("KVCOM3_PORT_5");
    EXPECT_EQ(portDevicePath(5), "/dev/ttyUSB4");
}

TEST_F(PortLayer, ClosedPortOperationsRaiseInsteadOfTouchingTheDevice) {
    EXPECT_THROW(portSlot(3).bytesWaiting(), KvError);
    EXPECT_THROW(portSlot(3).readAll(), KvError);
    EXPECT_THROW(portSlot(3).writeChars("U"), KvError);
}

TEST_F(PortLayer, WaitReturnsWhenTheBytesAreThereAndBlocksMeanwhile) {
    OpenCOMport();
    device->arrive({0x06, 0x01, 0x02, 0x09}, 40ms);
    auto start = clock->now();
    EXPECT_TRUE(WaitForBytes(4, 500ms));
    auto waited = clock->now() - start;
    EXPECT_GE(waited, 40ms);
    EXPECT_LT(waited, 50ms);
    // Every pass either found the bytes or blocked: no pass spun without waiting.
    EXPECT_LE(device->countQueries, device->blockingWaits + 10);
    EXPECT_EQ(portSlot(3).readAll(), (std::vector<std::uint8_t>{0x06, 0x01, 0x02, 0x09}));
    EXPECT_EQ(portSlot(3).bytesWaiting(), 0u);
}

TEST_F(PortLayer, WaitGivesUpAtTheDeadlineAndRunsThePumpThroughout) {
    OpenCOMport();
    int pumps = 0;
    setEventPump([&] { ++pumps; });
    device->arrive({0x06}, 10ms);  // one byte of the two asked for
    auto start = clock->now();
    EXPECT_FALSE(WaitForBytes(2, 100ms));
    auto waited = clock->now() - start;
    EXPECT_GE(waited, 100ms);
    EXPECT_LT(waited, 110ms);
    EXPECT_GE(pumps, 100 / 5) << "the pump runs at least every few milliseconds";
}

TEST_F(PortLayer, WritesCharactersAsSingleBytes) {
    OpenCOMport();
    portSlot(3).writeChars(std::string("\x55\x00\xFF", 3));
    EXPECT_EQ(device->written, (std::vector<std::uint8_t>{0x55, 0x00, 0xFF}));
}
