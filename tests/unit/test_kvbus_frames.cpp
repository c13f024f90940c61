#include <gtest/gtest.h>

#include "facade/clsErrors.h"
#include "kvcom3/KvError.h"
#include "link/KvbusFrames.h"
#include "link/SensorIdentity.h"

using namespace kvcom3;
using Bytes = std::vector<std::uint8_t>;

TEST(KvbusFrames, ReadFramesByPlatform) {
    struct Case {
        std::int32_t adr;
        std::uint8_t n;
        bool eeprom, byteAccess;
        Bytes frame;
    };
    const Case cases[] = {
        {300, 2, false, false, {0xC2, 0x2C, 0xEE}},       // bit 8 folds into the command byte
        {100, 2, true, false, {0x8A, 0x32, 0xBC}},        // EEPROM by word: 100 / 2
        {65, 1, false, true, {0x81, 0x41, 0xC2}},         // the part byte always short
        {600, 6, false, true, {0xCE, 0x02, 0x58, 0x28}},  // long RAM form above 511
        {511, 6, false, true, {0xC6, 0xFF, 0xC5}},        // 511 still short
        {2022, 3, true, true, {0x8B, 0x07, 0xE6, 0x78}},  // EEPROM by byte
    };
    for (const Case& c : cases) {
        EXPECT_EQ(kvbus::readFrame(c.adr, c.n, c.eeprom, c.byteAccess), c.frame) << c.adr;
    }
}

TEST(KvbusFrames, WriteFramesCarryTheDataBeforeTheChecksum) {
    const Bytes data{0x01, 0x02};
    EXPECT_EQ(kvbus::writeFrame(300, data, false, false), (Bytes{0x42, 0x2C, 0x01, 0x02, 0x71}));
    EXPECT_EQ(kvbus::writeFrame(600, data, false, true),
              (Bytes{0x4A, 0x02, 0x58, 0x01, 0x02, 0xA7}));
    EXPECT_EQ(kvbus::writeFrame(100, data, true, false), (Bytes{0x0A, 0x32, 0x01, 0x02, 0x3F}));
    EXPECT_EQ(kvbus::writeFrame(0x1234, data, true, true),
              (Bytes{0x0A, 0x12, 0x34, 0x01, 0x02, 0x53}));
}

TEST(KvbusFrames, AddressBytesAndAck) {
    EXPECT_EQ(kvbus::addressByte(-1), 0xFE);
    EXPECT_EQ(kvbus::addressByte(0), 0xE0);
    EXPECT_EQ(kvbus::addressByte(29), 0xFD);
    EXPECT_FALSE(kvbus::addressByte(30));
    EXPECT_FALSE(kvbus::addressByte(-2));
    EXPECT_TRUE(kvbus::isAck(0x06));
    EXPECT_TRUE(kvbus::isAck(0x86));
    EXPECT_FALSE(kvbus::isAck(0x15));
}

TEST(KvbusFrames, CommandFramesOfBothSets) {
    struct Case {
        kvSensorCommands command;
        const char* text;
        Bytes set1, set2;
    };
    const Case cases[] = {
        {cmdEEPROMtoRAM, "EEPROMtoRAM", {0x20, 0x00, 0x20}, {0x91, 0x00, 0x91}},
        {cmdRAMtoEEPROM, "RAMtoEEPROM", {0xA1, 0x00, 0xA1}, {0x99, 0xAD, 0x46}},
        {cmdLockEEPROM, "LockEEPROM", {0x10, 0x00, 0x10}, {0xA9, 0xAB, 0x54}},
        {cmdUnlockEEPROM, "UnlockEEPROM", {0x90, 0x00, 0x90}, {0xB1, 0xA9, 0x5A}},
        {cmdIDtoEEPROM, "IDABCtoEEPROM", {}, {0xA1, 0x00, 0xA1}},
        {cmdTWAreset, "TWAreset", {}, {0xB9, 0x01, 0xBA}},
    };
    for (const Case& c : cases) {
        auto one = kvbus::commandFrame(c.command, 1);
        auto two = kvbus::commandFrame(c.command, 2);
        EXPECT_STREQ(one.logText, c.text);
        EXPECT_EQ(one.frame.value_or(Bytes{}), c.set1) << c.text;
        EXPECT_EQ(two.frame.value_or(Bytes{}), c.set2) << c.text;
    }
    for (auto c : {cmdRestart, cmdTransparentOn, cmdTransparentOff, cmdPowerOn, cmdPowerOff}) {
        EXPECT_EQ(kvbus::commandFrame(c, 2).logText, nullptr);
        EXPECT_FALSE(kvbus::commandFrame(c, 2).frame);
    }
}

TEST(KvbusFrames, MultiplexerSwitchFrame) {
    EXPECT_EQ(kvbus::muxPreamble(), Bytes(5, 0x55));
    // The leading 0x00 stays out of the checksum.
    EXPECT_EQ(kvbus::muxSelectFrame(0x0102, 7), (Bytes{0x00, 0x01, 0x02, 0x07, 0x0A}));
    EXPECT_EQ(kvbus::muxSelectFrame(0xFFFF, 0xFF), (Bytes{0x00, 0xFF, 0xFF, 0xFF, 0xFD}));
}

TEST(SensorIdentity, PlatformAndCommandSetFromThePartByte) {
    struct Case {
        std::uint8_t code;
        int platform, commandSet;
    };
    const Case cases[] = {{12, 5, 2}, {13, 5, 1},  {15, 5, 1}, {28, 5, 2}, {29, 5, 1}, {31, 5, 1},
                          {27, 6, 1}, {26, 61, 2}, {23, 7, 2}, {24, 7, 2}, {19, 8, 2}, {22, 8, 2}};
    for (const Case& c : cases) {
        auto part = static_cast<std::uint8_t>(c.code << 3 | 5);  // low bits do not matter
        EXPECT_EQ(platformOfPart(part), c.platform) << int(c.code);
        EXPECT_EQ(commandSetOf(part), c.commandSet) << int(c.code);
    }
    for (std::uint8_t part : {std::uint8_t(255), std::uint8_t(0), std::uint8_t(25 << 3),
                              std::uint8_t(18 << 3), std::uint8_t(11 << 3)}) {
        try {
            platformOfPart(part);
            ADD_FAILURE() << int(part);
        } catch (const KvError& e) {
            EXPECT_EQ(e.number(), 1205);
            EXPECT_EQ(e.description(), "Unknown Product");
        }
    }
}
