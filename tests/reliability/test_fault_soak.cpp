// Fault soak: thousands of reads, writes and commands against the virtual sensor with a seeded
// random mix of its line faults. Each ends with exactly the sensor's bytes or with the number its
// faults call for; nothing else may come out. KV_SOAK_TRANSFERS sets the count per protocol,
// KV_SOAK_SEED the seed; scripts/soak.sh runs the long version.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>

#include "facade/LibraryState.h"
#include "host/InProcessDevice.h"
#include "kvcom3/KvError.h"
#include "kvcom3/ManualClock.h"
#include "kvcom3/Ports.h"
#include "link/PortTable.h"
#include "reliability/SoakBench.h"
#include "util/ServedPty.h"

namespace {

constexpr int kPort = 3;

long fromEnvironment(const char* name, long fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return fallback;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return (*end == '\0' && value > 0) ? value : fallback;
}

class FaultSoak : public ::testing::TestWithParam<kvsim::Protocol> {
  protected:
    void SetUp() override {
        kvcom3::gConnection = kvcom3::Connection{true, kPort, -1, 0, 0};
        kvcom3::gCancel = false;
        kvcom3::gLeavePortOpen = false;
        kvcom3::gProtokoll = GetParam() == kvsim::Protocol::Modbus ? 1 : 0;
        sensor = kvrel::soakSensor();
        line = kvsim::makeLine({kvsim::Station{.sensor = sensor, .protocol = GetParam()}});
    }
    void TearDown() override {
        kvcom3::unbindPort(kPort);
        kvcom3::setClock(nullptr);
        kvcom3::gConnection = kvcom3::Connection{};
        kvcom3::gLeavePortOpen = false;
        kvcom3::gProtokoll = 0;
    }

    std::string name() const { return GetParam() == kvsim::Protocol::Modbus ? "Modbus" : "KVBUS"; }

    static void expectClean(const kvrel::SoakFigures& f) {
        const std::string report = f.summary("");
        EXPECT_EQ(f.wrongNumbers, 0) << report;
        EXPECT_EQ(f.wrongValues, 0) << report;
        EXPECT_EQ(f.crashes, 0) << report;
        EXPECT_EQ(f.hangs, 0) << report;
        EXPECT_EQ(f.portLeftOpen, 0) << report;
        EXPECT_EQ(f.eepromUnlocked, 0) << report;
        EXPECT_GT(f.faultsInjected, 0) << report;
    }

    std::shared_ptr<kvtest::FakeSensor> sensor;
    std::shared_ptr<kvsim::Line> line;
};

TEST_P(FaultSoak, EveryTransferEndsWithTheSensorsBytesOrTheNumberItsFaultsCallFor) {
    kvcom3::setClock(std::make_shared<kvcom3::ManualClock>());
    kvcom3::bindPort(kPort, std::make_shared<kvsim::InProcessDevice>(line));
    kvcom3::clsAdressLevel level;
    kvrel::SoakRun soak(*line, *sensor, level, kPort, GetParam(),
                        static_cast<std::uint32_t>(fromEnvironment("KV_SOAK_SEED", 20261208)));
    soak.doomedEvery = 40;
    soak.run(fromEnvironment("KV_SOAK_TRANSFERS", 1500));

    const auto& f = soak.figures();
    std::cout << f.summary("soak " + name() + " in process") << std::endl;
    expectClean(f);
    EXPECT_GE(f.failures, f.doomed);
}

// The same on a real pseudo-terminal and real time: the termios backend opens and closes the
// port for every transfer and must give back every descriptor.
TEST_P(FaultSoak, OnAPseudoTerminalNoDescriptorLeaks) {
    kvtest::ServedPty served(line);
    kvcom3::bindPort(kPort, served.path());
    kvcom3::clsAdressLevel level;
    const int before = kvrel::openDescriptors();
    kvrel::SoakRun soak(*line, *sensor, level, kPort, GetParam(),
                        static_cast<std::uint32_t>(fromEnvironment("KV_SOAK_SEED", 20261208)));
    soak.run(fromEnvironment("KV_SOAK_PTY_TRANSFERS", 40));
    const int after = kvrel::openDescriptors();

    const auto& f = soak.figures();
    std::cout << f.summary("soak " + name() + " on a pty") << std::endl;
    expectClean(f);
    EXPECT_EQ(after, before) << "descriptors before and after " << f.operations << " transfers";
}

// With leave-port-open set, a failed transfer keeps the port open for the next one.
TEST_P(FaultSoak, LeavePortOpenKeepsThePortOpenAfterAFailure) {
    kvcom3::setClock(std::make_shared<kvcom3::ManualClock>());
    kvcom3::bindPort(kPort, std::make_shared<kvsim::InProcessDevice>(line));
    kvcom3::gLeavePortOpen = true;
    kvcom3::clsAdressLevel level;
    EXPECT_EQ(level.Value(65, 1), 19 << 3);
    line->addFault("no-ack");
    try {
        level.ReadFromSensor(200, 4, kvcom3::kvRAM, kvcom3::kvReadFromSensor);
        ADD_FAILURE() << "a read without any reply succeeded";
    } catch (const kvcom3::KvError& e) {
        EXPECT_EQ(e.number(), 1000);
    }
    EXPECT_TRUE(kvcom3::portSlot(kPort).isOpen());
    line->clearFaults();
    EXPECT_EQ(level.Value(200, 1, kvcom3::kvRAM, true), sensor->read(kvsim::Space::RAM, 200));
    EXPECT_TRUE(kvcom3::portSlot(kPort).isOpen());
}

// Platform 6: EEPROM by words, command set 1, the unlock through RAM 230 and the copy of EEPROM to
// RAM after every EEPROM write.
TEST(FaultSoakWordEeprom, EveryTransferEndsWithTheSensorsBytesOrTheNumberItsFaultsCallFor) {
    kvcom3::setClock(std::make_shared<kvcom3::ManualClock>());
    kvcom3::gConnection = kvcom3::Connection{true, kPort, -1, 0, 0};
    kvcom3::gLeavePortOpen = false;
    kvcom3::gProtokoll = 0;
    auto sensor = kvrel::soakSensor(6);
    auto line = kvsim::makeLine({kvsim::Station{.sensor = sensor}});
    kvcom3::bindPort(kPort, std::make_shared<kvsim::InProcessDevice>(line));
    {
        kvcom3::clsAdressLevel level;
        kvrel::SoakRun soak(*line, *sensor, level, kPort, kvsim::Protocol::Kvbus,
                            static_cast<std::uint32_t>(fromEnvironment("KV_SOAK_SEED", 20261208)));
        soak.doomedEvery = 40;
        soak.run(fromEnvironment("KV_SOAK_TRANSFERS", 1500));
        const auto& f = soak.figures();
        std::cout << f.summary("soak KVBUS platform 6 in process") << std::endl;
        EXPECT_EQ(f.wrongNumbers + f.wrongValues + f.crashes + f.hangs + f.portLeftOpen +
                      f.eepromUnlocked,
                  0)
            << f.summary("");
        EXPECT_GT(f.faultsInjected, 0);
        EXPECT_GT(std::count(sensor->commands.begin(), sensor->commands.end(), "EEPROMtoRAM"), 0);
    }
    kvcom3::unbindPort(kPort);
    kvcom3::setClock(nullptr);
    kvcom3::gConnection = kvcom3::Connection{};
}

INSTANTIATE_TEST_SUITE_P(Protocols, FaultSoak,
                         ::testing::Values(kvsim::Protocol::Kvbus, kvsim::Protocol::Modbus),
                         [](const auto& info) {
                             return info.param == kvsim::Protocol::Modbus ? "Modbus" : "Kvbus";
                         });

}  // namespace
