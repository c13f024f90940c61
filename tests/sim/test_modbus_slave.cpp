#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "util/FakeSensor.h"
#include "wire/Checksum.h"
#include "wire/ModbusSlave.h"

namespace {

using kvsim::Space;
using Bytes = std::vector<std::uint8_t>;

Bytes withCrc(Bytes frame) {
    const auto crc = kvsim::crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    return frame;
}

struct Rtu {
    explicit Rtu(std::shared_ptr<kvtest::FakeSensor> s, std::uint8_t address = 1)
        : sensor(std::move(s)), slave(sensor, {.address = address}, nullptr) {}

    Bytes send(const Bytes& bytes) {
        std::vector<kvsim::Reply> replies;
        for (auto b : bytes) slave.receive(b, now, replies);
        Bytes out;
        for (const auto& r : replies) out.insert(out.end(), r.bytes.begin(), r.bytes.end());
        return out;
    }

    std::shared_ptr<kvtest::FakeSensor> sensor;
    kvsim::ModbusSlave slave;
    std::chrono::nanoseconds now{};
};

std::shared_ptr<kvtest::FakeSensor> sensorWithRegisters() {
    auto sensor = std::make_shared<kvtest::FakeSensor>(8, true, 2);
    sensor->holdingRegisters = {{0, 0x1234}, {1, 0xFFFE}, {2, 7}};
    sensor->inputRegisters = {{5, 800}, {6, 2300}};
    return sensor;
}

TEST(ModbusCrc, MatchesPublishedFrames) {
    EXPECT_EQ(kvsim::crc16(Bytes{0x01, 0x03, 0x00, 0x00, 0x00, 0x01}), 0x0A84);
    EXPECT_EQ(withCrc({0x01, 0x03, 0x00, 0x00, 0x00, 0x0A}),
              (Bytes{0x01, 0x03, 0x00, 0x00, 0x00, 0x0A, 0xC5, 0xCD}));
    EXPECT_EQ(kvsim::crc16(Bytes{}), 0xFFFF);
}

TEST(ModbusSlave, ReadsHoldingAndInputRegisters) {
    Rtu rtu(sensorWithRegisters());
    EXPECT_EQ(rtu.send({0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}),
              withCrc({0x01, 0x03, 0x02, 0x12, 0x34}));
    EXPECT_EQ(rtu.send(withCrc({0x01, 0x03, 0x00, 0x00, 0x00, 0x03})),
              withCrc({0x01, 0x03, 0x06, 0x12, 0x34, 0xFF, 0xFE, 0x00, 0x07}));
    EXPECT_EQ(rtu.send(withCrc({0x01, 0x04, 0x00, 0x05, 0x00, 0x02})),
              withCrc({0x01, 0x04, 0x04, 0x03, 0x20, 0x08, 0xFC}));
}

TEST(ModbusSlave, AnswersExceptionsForBadFunctionAddressAndCount) {
    Rtu rtu(sensorWithRegisters());
    EXPECT_EQ(rtu.send(withCrc({0x01, 0x04, 0x00, 0x06, 0x00, 0x02})), withCrc({0x01, 0x84, 0x02}));
    EXPECT_EQ(rtu.send(withCrc({0x01, 0x03, 0x00, 0x00, 0x00, 0x00})), withCrc({0x01, 0x83, 0x03}));
    EXPECT_EQ(rtu.send(withCrc({0x01, 0x06, 0x00, 0x09, 0x00, 0x01})), withCrc({0x01, 0x86, 0x02}));
    // Function 7 (read exception status) is a four-byte request this sensor does not know.
    EXPECT_EQ(rtu.send(withCrc({0x01, 0x07})), withCrc({0x01, 0x87, 0x01}));
}

TEST(ModbusSlave, WritesOneOrSeveralHoldingRegistersWithFunction6) {
    auto sensor = sensorWithRegisters();
    Rtu rtu(sensor);
    EXPECT_EQ(rtu.send(withCrc({0x01, 0x06, 0x00, 0x02, 0x01, 0x02})),
              withCrc({0x01, 0x06, 0x00, 0x02, 0x01, 0x02}));
    EXPECT_EQ(sensor->holdingRegisters[2], 0x0102);
    EXPECT_EQ(rtu.send(withCrc({0x01, 0x06, 0x00, 0x00, 0xAA, 0xBB, 0xCC, 0xDD})),
              withCrc({0x01, 0x06, 0x00, 0x00, 0xAA, 0xBB}));
    EXPECT_EQ(sensor->holdingRegisters[0], 0xAABB);
    EXPECT_EQ(sensor->holdingRegisters[1], 0xCCDD);
}

TEST(ModbusSlave, ReadsAndWritesTheMemories) {
    auto sensor = sensorWithRegisters();
    sensor->memory(Space::FLASH)[0x10] = 0x99;
    sensor->memory(Space::EEPROM)[0x101] = 0x42;
    Rtu rtu(sensor);
    EXPECT_EQ(rtu.send(withCrc({0x01, 0x44, 0x00, 0x41, 0x01})),
              withCrc({0x01, 0x44, 0x01, sensor->read(Space::RAM, 0x41)}));
    EXPECT_EQ(rtu.send(withCrc({0x01, 0x45, 0x00, 0x10, 0x01})), withCrc({0x01, 0x45, 0x01, 0x99}));
    EXPECT_EQ(rtu.send(withCrc({0x01, 0x46, 0x01, 0x01, 0x01})), withCrc({0x01, 0x46, 0x01, 0x42}));

    EXPECT_EQ(rtu.send(withCrc({0x01, 0x41, 0x02, 0x00, 0x02, 0x11, 0x22})), withCrc({0x01, 0x41}));
    EXPECT_EQ(sensor->memory(Space::RAM)[0x200], 0x11);
    EXPECT_EQ(sensor->memory(Space::RAM)[0x201], 0x22);

    const Bytes eepromWrite = withCrc({0x01, 0x43, 0x00, 0x20, 0x01, 0x5A});
    EXPECT_EQ(rtu.send(eepromWrite), withCrc({0x01, 0x43}));
    EXPECT_EQ(sensor->memory(Space::EEPROM)[0x20], 0xFF) << "locked EEPROM must not change";
    rtu.send(withCrc({0x01, 0x47, 0x01, 0x01, 0xA9}));
    EXPECT_EQ(rtu.send(eepromWrite), withCrc({0x01, 0x43}));
    EXPECT_EQ(sensor->memory(Space::EEPROM)[0x20], 0x5A);
}

TEST(ModbusSlave, CarriesOutTheCommandsOfFunction0x47) {
    struct Case {
        Bytes request;
        const char* command;
    };
    const Case cases[] = {
        {{0x02, 0x01, 0x00}, "EEPROMtoRAM"},
        {{0x00, 0x01, 0xAB}, "LockEEPROM"},
        {{0x01, 0x01, 0xA9}, "UnlockEEPROM"},
        {{0x03, 0x01, 0x00}, "IDtoEEPROM"},
        {{0x04, 0x07, 'R', 'E', 'S', 'T', 'A', 'R', 'T'}, "RESTART"},
        {{0xFC, 0x0B, 'T', 'R', 'A', 'N', 'S', 'P', 'A', 'R', 'E', 'N', 'T'}, "TRANSPARENT ON"},
        {{0xFD, 0x00}, "TRANSPARENT OFF"},
        {{0xFE, 0x07, 'P', 'O', 'W', 'E', 'R', 'O', 'N'}, "POWER ON"},
        {{0xFF, 0x00}, "POWER OFF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        auto sensor = sensorWithRegisters();
        Rtu rtu(sensor, 7);
        Bytes frame{0x07, 0x47};
        frame.insert(frame.end(), c.request.begin(), c.request.end());
        EXPECT_EQ(rtu.send(withCrc(frame)), withCrc({0x07, 0x47}));
        ASSERT_EQ(sensor->commands.size(), 1u);
        EXPECT_EQ(sensor->commands[0], c.command);
    }
}

TEST(ModbusSlave, RejectsUnknownCommandTextAndReportsRefusal) {
    auto sensor = sensorWithRegisters();
    Rtu rtu(sensor);
    EXPECT_EQ(rtu.send(withCrc({0x01, 0x47, 0x04, 0x07, 'R', 'E', 'S', 'T', 'O', 'R', 'E'})),
              withCrc({0x01, 0xC7, 0x03}));
    sensor->refuseCommands = true;
    EXPECT_EQ(rtu.send(withCrc({0x01, 0x47, 0x02, 0x01, 0x00})), withCrc({0x01, 0xC7, 0x04}));
    EXPECT_TRUE(sensor->commands.empty());
}

TEST(ModbusSlave, AnswersItsAddressAnd254AndObeysBroadcastsSilently) {
    auto sensor = sensorWithRegisters();
    Rtu rtu(sensor, 5);
    EXPECT_TRUE(rtu.send(withCrc({0x00, 0x06, 0x00, 0x02, 0x00, 0x63})).empty());
    EXPECT_EQ(sensor->holdingRegisters[2], 0x63);
    EXPECT_TRUE(rtu.send(withCrc({0x01, 0x03, 0x00, 0x00, 0x00, 0x01})).empty());
    EXPECT_EQ(rtu.send(withCrc({0x05, 0x03, 0x00, 0x00, 0x00, 0x01})),
              withCrc({0x05, 0x03, 0x02, 0x12, 0x34}));
    EXPECT_EQ(rtu.send(withCrc({0xFE, 0x03, 0x00, 0x00, 0x00, 0x01})),
              withCrc({0xFE, 0x03, 0x02, 0x12, 0x34}));
}

TEST(ModbusSlave, DropsFramesWithABadCrcAndResynchronisesOnSilence) {
    Rtu rtu(sensorWithRegisters());
    EXPECT_TRUE(rtu.send({0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0B}).empty());
    EXPECT_TRUE(rtu.send({0x01, 0x03, 0x00}).empty());
    rtu.now += std::chrono::milliseconds(200);
    EXPECT_EQ(rtu.send({0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}).size(), 7u);
}

TEST(ModbusSlave, SurvivesGarbageAndStillAnswers) {
    Rtu rtu(sensorWithRegisters());
    std::mt19937 random(11);
    Bytes garbage(5000);
    for (auto& b : garbage) b = static_cast<std::uint8_t>(random());
    rtu.send(garbage);
    rtu.now += std::chrono::seconds(1);
    EXPECT_EQ(rtu.send({0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}).size(), 7u);
}

}  // namespace
