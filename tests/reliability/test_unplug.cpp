// The cable is pulled in the middle of a transfer, on a real pseudo-terminal: the transfer ends
// at once with a clear error instead of waiting out its attempts on a dead line, the port is
// closed, and the slot serves the next sensor plugged in.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "facade/LibraryState.h"
#include "integration/PtyPair.h"
#include "kvcom3/Clock.h"
#include "kvcom3/ISensMem.h"
#include "kvcom3/KvError.h"
#include "kvcom3/Ports.h"
#include "link/PortTable.h"
#include "reliability/SoakBench.h"
#include "reliability/ThreadCpu.h"
#include "util/ServedPty.h"

namespace {

constexpr int kPort = 4;
// Far below what waiting out the attempts in a loop would burn, far above a few system calls.
constexpr double kCpuBudgetSeconds = 0.5;

struct Case {
    kvsim::Protocol protocol;
    const char* what;
    int unplugAt;  // the sensor exchange that pulls the cable
};

class Unplug : public ::testing::TestWithParam<Case> {
  protected:
    void SetUp() override {
        kvcom3::gCancel = false;
        kvcom3::gLeavePortOpen = false;
        kvcom3::gProtokoll = GetParam().protocol == kvsim::Protocol::Modbus ? 1 : 0;
    }
    void TearDown() override {
        kvcom3::unbindPort(kPort);
        kvcom3::setEventPump(nullptr);
        kvcom3::gConnection = kvcom3::Connection{};
        kvcom3::gProtokoll = 0;
    }

    // The transfer that meets the unplugged cable.
    void transfer(kvcom3::clsAdressLevel& level) {
        const std::string what = GetParam().what;
        if (what == "read") {
            level.ReadFromSensor(100, 120, kvcom3::kvRAM, kvcom3::kvReadFromSensor);
        } else if (what == "write") {
            for (int i = 0; i < 24; ++i) level.LetValue(300 + i, 1, kvcom3::kvRAM, false, 0, 0, i);
            level.WriteToSensor(300, 24, kvcom3::kvRAM, kvcom3::kvWriteToSensor);
        } else {
            for (int i = 0; i < 24; ++i)
                level.LetValue(500 + i, 1, kvcom3::kvEEPROM, false, 0, 0, i);
            level.WriteToSensor(500, 24, kvcom3::kvEEPROM, kvcom3::kvWriteToSensor);
        }
    }
};

TEST_P(Unplug, TheTransferEndsAtOnceAndTheSlotServesTheNextSensor) {
    auto sensor = kvrel::soakSensor();
    auto line =
        kvsim::makeLine({kvsim::Station{.sensor = sensor, .protocol = GetParam().protocol}});
    auto served = std::make_unique<kvtest::ServedPty>(line);
    kvcom3::bindPort(kPort, served->path());
    kvcom3::gConnection = kvcom3::Connection{true, kPort, -1, 0, 0};
    const int descriptors = kvrel::openDescriptors();
    {
        kvcom3::clsAdressLevel level;
        ASSERT_EQ(level.Value(65, 1), 19 << 3);
        ASSERT_EQ(level.EEPROMsize(), 2048);
        line->addFault("unplug@" + std::to_string(GetParam().unplugAt));

        const double cpu = kvrel::threadCpuSeconds();
        try {
            transfer(level);
            ADD_FAILURE() << "the transfer went on after the cable was pulled";
        } catch (const kvcom3::KvError& e) {
            EXPECT_EQ(e.number(), 75) << e.description();
            EXPECT_NE(e.description().find("disconnected"), std::string::npos) << e.description();
        }
        EXPECT_LT(kvrel::threadCpuSeconds() - cpu, kCpuBudgetSeconds);
        EXPECT_TRUE(line->unplugged());
        EXPECT_FALSE(kvcom3::portSlot(kPort).isOpen());
    }
    EXPECT_TRUE(served->ended(std::chrono::seconds(5)));
    served.reset();

    // A new sensor on a new pty, the same port number.
    auto second = kvrel::soakSensor();
    second->memory(kvsim::Space::RAM)[66] = 0x42;
    auto secondLine =
        kvsim::makeLine({kvsim::Station{.sensor = second, .protocol = GetParam().protocol}});
    kvtest::ServedPty replugged(secondLine);
    kvcom3::bindPort(kPort, replugged.path());
    auto mem = std::make_shared<kvcom3::ISensMem>();
    mem->Connect(kPort);
    EXPECT_EQ(mem->PartNr(), 19 << 3);
    EXPECT_EQ(mem->AdressLevel()->Value(66, 1, kvcom3::kvRAM, true), 0x42);
    EXPECT_FALSE(kvcom3::portSlot(kPort).isOpen());
    // The pulled pty's descriptors are gone; the new one's are in their place.
    EXPECT_EQ(kvrel::openDescriptors(), descriptors);
}

INSTANTIATE_TEST_SUITE_P(MidTransfer, Unplug,
                         ::testing::Values(Case{kvsim::Protocol::Kvbus, "read", 8},
                                           Case{kvsim::Protocol::Kvbus, "write", 4},
                                           Case{kvsim::Protocol::Kvbus, "eeprom", 6},
                                           Case{kvsim::Protocol::Modbus, "read", 4},
                                           Case{kvsim::Protocol::Modbus, "write", 4},
                                           Case{kvsim::Protocol::Modbus, "eeprom", 5}),
                         [](const auto& info) {
                             return std::string(info.param.protocol == kvsim::Protocol::Modbus
                                                    ? "Modbus_"
                                                    : "Kvbus_") +
                                    info.param.what;
                         });

// The far end goes away while the library waits for an answer that never comes: the hang-up ends
// the wait instead of the attempts running out one time-out after another.
TEST(UnplugWhileWaiting, AHungUpLineEndsTheWaitNotTheAttempts) {
    auto pty = std::make_unique<PtyPair>();
    kvcom3::bindPort(kPort, pty->slavePath());
    kvcom3::gConnection = kvcom3::Connection{true, kPort, -1, 0, 0};
    kvcom3::gProtokoll = 0;
    int pumps = 0;
    kvcom3::setEventPump([&] {
        if (++pumps == 3) pty->closeMaster();
    });
    kvcom3::clsAdressLevel level;
    int noCtr = 0;
    level.ComLogg.connect([&](std::string& text) { noCtr += text == "No CTR"; });
    const double cpu = kvrel::threadCpuSeconds();
    try {
        level.Value(65, 1);
        ADD_FAILURE() << "a read from a hung-up line succeeded";
    } catch (const kvcom3::KvError& e) {
        EXPECT_EQ(e.number(), 75) << e.description();
    }
    EXPECT_LT(kvrel::threadCpuSeconds() - cpu, kCpuBudgetSeconds);
    EXPECT_LE(noCtr, 1) << "the remaining attempts were not waited out";
    EXPECT_FALSE(kvcom3::portSlot(kPort).isOpen());
    kvcom3::setEventPump(nullptr);
    kvcom3::unbindPort(kPort);
    kvcom3::gConnection = kvcom3::Connection{};
}

}  // namespace
