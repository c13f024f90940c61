#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "util/FakeSensor.h"
#include "wire/KvbusSlave.h"

namespace {

using kvsim::Space;
using Bytes = std::vector<std::uint8_t>;

struct Bus {
    explicit Bus(std::shared_ptr<kvtest::FakeSensor> s, kvsim::KvbusConfig config = {})
        : sensor(std::move(s)), slave(sensor, config, nullptr) {}

    Bytes send(const Bytes& bytes, std::chrono::milliseconds at = {}) {
        std::vector<kvsim::Reply> replies;
        for (auto b : bytes) slave.receive(b, now + at, replies);
        Bytes out;
        for (const auto& r : replies) out.insert(out.end(), r.bytes.begin(), r.bytes.end());
        return out;
    }
    // Address byte, then the frame; returns the reply to the frame.
    Bytes exchange(const Bytes& frame, std::uint8_t address = 0xFE) {
        EXPECT_EQ(send({address}), Bytes{0xDF});
        return send(frame);
    }

    std::shared_ptr<kvtest::FakeSensor> sensor;
    kvsim::KvbusSlave slave;
    std::chrono::nanoseconds now{};
};

std::uint8_t sum(const Bytes& b) {
    unsigned s = 0;
    for (auto x : b) s += x;
    return static_cast<std::uint8_t>(s);
}

TEST(KvbusSlave, AnswersItsOwnAddressAndBroadcastOnly) {
    Bus bus(std::make_shared<kvtest::FakeSensor>(), {.id = 29});
    EXPECT_EQ(bus.send({0xFD}), Bytes{0xDF});
    Bus other(std::make_shared<kvtest::FakeSensor>(), {.id = 3});
    EXPECT_TRUE(other.send({0xFD}).empty());
    EXPECT_TRUE(other.send({0xE0, 0xE2, 0x55, 0x00}).empty());
    EXPECT_EQ(other.send({0xE3}), Bytes{0xDF});
    Bus broadcast(std::make_shared<kvtest::FakeSensor>(), {.id = 3});
    EXPECT_EQ(broadcast.send({0xFE}), Bytes{0xDF});
}

struct ReadCase {
    const char* name;
    bool byteAccess;
    Bytes frame;
    Space space;
    std::uint32_t address;
    unsigned count;
};

TEST(KvbusSlave, DecodesEveryReadFrame) {
    const ReadCase cases[] = {
        {"short RAM", false, {0x82, 0x10, 0x92}, Space::RAM, 0x10, 2},
        {"short RAM with bit 8", false, {0xC2, 0x2C, 0xEE}, Space::RAM, 300, 2},
        {"part byte", true, {0x81, 0x41, 0xC2}, Space::RAM, 65, 1},
        {"long RAM", true, {0xCE, 0x02, 0x58, 0x28}, Space::RAM, 600, 6},
        {"EEPROM by word", false, {0x8A, 0x32, 0xBC}, Space::EEPROM, 100, 2},
        {"EEPROM by byte", true, {0x8C, 0x01, 0x2D, 0xBA}, Space::EEPROM, 301, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto sensor = std::make_shared<kvtest::FakeSensor>(c.byteAccess ? 7 : 6, c.byteAccess, 1);
        auto& eeprom = sensor->memory(Space::EEPROM);
        for (std::size_t i = 0; i < eeprom.size(); ++i)
            eeprom[i] = static_cast<std::uint8_t>(i ^ 0x5A);
        Bus bus(sensor);
        Bytes expected{0x06};
        for (unsigned i = 0; i < c.count; ++i)
            expected.push_back(sensor->read(c.space, c.address + i));
        expected.push_back(sum(expected));
        EXPECT_EQ(bus.exchange(c.frame), expected);
    }
}

TEST(KvbusSlave, WritesRamAndHonoursTheEepromLock) {
    auto sensor = std::make_shared<kvtest::FakeSensor>(6, false, 1);
    Bus bus(sensor);
    // Short RAM write with bit 8 set: 2 bytes at 0x123.
    EXPECT_EQ(bus.exchange({0x42, 0x23, 0xAA, 0xBB, 0xCA}), Bytes{0x06});
    EXPECT_EQ(sensor->memory(Space::RAM)[0x123], 0xAA);
    EXPECT_EQ(sensor->memory(Space::RAM)[0x124], 0xBB);

    // EEPROM word address 0x10 is byte 32; locked: acknowledged but not stored.
    const Bytes eepromWrite{0x0A, 0x10, 0x12, 0x34, 0x60};
    EXPECT_EQ(bus.exchange(eepromWrite), Bytes{0x06});
    EXPECT_EQ(sensor->memory(Space::EEPROM)[32], 0xFF);
    EXPECT_EQ(bus.exchange({0x90, 0x00, 0x90}), Bytes{0x06});
    EXPECT_EQ(bus.exchange(eepromWrite), Bytes{0x06});
    EXPECT_EQ(sensor->memory(Space::EEPROM)[32], 0x12);
    EXPECT_EQ(sensor->memory(Space::EEPROM)[33], 0x34);
}

TEST(KvbusSlave, WritesLongRamAndEepromByByteOnBytePlatforms) {
    auto sensor = std::make_shared<kvtest::FakeSensor>(8, true, 2);
    Bus bus(sensor);
    EXPECT_EQ(bus.exchange({0x49, 0x03, 0x00, 0x77, 0xC3}), Bytes{0x06});
    EXPECT_EQ(sensor->memory(Space::RAM)[0x300], 0x77);
    EXPECT_EQ(bus.exchange({0xB1, 0xA9, 0x5A}), Bytes{0x06});
    EXPECT_EQ(bus.exchange({0x09, 0x01, 0x2D, 0x42, 0x79}), Bytes{0x06});
    EXPECT_EQ(sensor->memory(Space::EEPROM)[301], 0x42);
}

struct CommandCase {
    int set;
    Bytes frame;
    const char* command;
};

TEST(KvbusSlave, CarriesOutTheSpecialCommandsOfEachSet) {
    const CommandCase cases[] = {
        {1, {0x20, 0x00, 0x20}, "EEPROMtoRAM"}, {1, {0xA1, 0x00, 0xA1}, "RAMtoEEPROM"},
        {1, {0x10, 0x00, 0x10}, "LockEEPROM"},  {1, {0x90, 0x00, 0x90}, "UnlockEEPROM"},
        {2, {0x91, 0x00, 0x91}, "EEPROMtoRAM"}, {2, {0x99, 0xAD, 0x46}, "RAMtoEEPROM"},
        {2, {0xA9, 0xAB, 0x54}, "LockEEPROM"},  {2, {0xB1, 0xA9, 0x5A}, "UnlockEEPROM"},
        {2, {0xA1, 0x00, 0xA1}, "IDtoEEPROM"},  {2, {0xB9, 0x01, 0xBA}, "TWAreset"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        auto sensor = std::make_shared<kvtest::FakeSensor>(c.set == 1 ? 6 : 61, false, c.set);
        Bus bus(sensor);
        EXPECT_EQ(bus.exchange(c.frame), Bytes{0x06});
        ASSERT_EQ(sensor->commands.size(), 1u);
        EXPECT_EQ(sensor->commands[0], c.command);
    }
}

TEST(KvbusSlave, IgnoresCommandsOfTheOtherSetAndNaksRefusals) {
    auto sensor = std::make_shared<kvtest::FakeSensor>(6, false, 1);
    Bus bus(sensor);
    EXPECT_TRUE(bus.exchange({0xB9, 0x01, 0xBA}).empty());
    EXPECT_TRUE(bus.exchange({0x90, 0x01, 0x91}).empty());
    sensor->refuseCommands = true;
    EXPECT_EQ(bus.exchange({0x20, 0x00, 0x20}), Bytes{0x15});
    EXPECT_TRUE(sensor->commands.empty());
}

TEST(KvbusSlave, StaysSilentOnABadChecksumAndServesTheNextExchange) {
    auto sensor = std::make_shared<kvtest::FakeSensor>();
    Bus bus(sensor);
    EXPECT_TRUE(bus.exchange({0x42, 0x23, 0xAA, 0xBB, 0xAB}).empty());
    EXPECT_NE(sensor->memory(Space::RAM)[0x123], 0xAA);
    EXPECT_EQ(bus.exchange({0x81, 0x41, 0xC2}).size(), 3u);
}

TEST(KvbusSlave, AnswersWithTheConfiguredAcknowledge) {
    auto sensor = std::make_shared<kvtest::FakeSensor>();
    Bus bus(sensor, {.ack = 0x86});
    const auto reply = bus.exchange({0x81, 0x41, 0xC2});
    ASSERT_EQ(reply.size(), 3u);
    EXPECT_EQ(reply[0], 0x86);
    EXPECT_EQ(reply[2], static_cast<std::uint8_t>(0x86 + reply[1]));
}

TEST(KvbusSlave, ARepeatedAddressByteRestartsTheExchange) {
    Bus bus(std::make_shared<kvtest::FakeSensor>(), {.id = 4});
    EXPECT_EQ(bus.send({0xE4}), Bytes{0xDF});
    EXPECT_EQ(bus.send({0xE4}), Bytes{0xDF});
    EXPECT_EQ(bus.send({0x81, 0x41, 0xC2}).size(), 3u);
}

TEST(KvbusSlave, AbandonsAFrameInterruptedByASilence) {
    auto sensor = std::make_shared<kvtest::FakeSensor>();
    Bus bus(sensor, {.frameTimeout = std::chrono::milliseconds(100)});
    EXPECT_EQ(bus.send({0xFE}), Bytes{0xDF});
    EXPECT_TRUE(bus.send({0x42, 0x23}).empty());
    // The rest of the frame comes too late: it is no longer part of an exchange.
    EXPECT_TRUE(bus.send({0xAA, 0xBB, 0xCA}, std::chrono::milliseconds(500)).empty());
    EXPECT_NE(sensor->memory(Space::RAM)[0x123], 0xAA);
}

TEST(KvbusSlave, SurvivesGarbageAndStillAnswers) {
    auto sensor = std::make_shared<kvtest::FakeSensor>(7, true, 2);
    Bus bus(sensor, {.id = 2, .frameTimeout = std::chrono::milliseconds(100)});
    std::mt19937 random(7);
    Bytes garbage(5000);
    for (auto& b : garbage) b = static_cast<std::uint8_t>(random());
    bus.send(garbage);
    bus.now += std::chrono::seconds(1);
    EXPECT_EQ(bus.send({0xE2}), Bytes{0xDF});
    EXPECT_EQ(bus.send({0x81, 0x41, 0xC2}).size(), 3u);
}

}  // namespace
