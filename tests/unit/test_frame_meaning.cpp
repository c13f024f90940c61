// What the frame log says each block on the line means.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kvcom3/Enums.h"
#include "kvcom3/FrameMeaning.h"
#include "link/KvbusFrames.h"
#include "link/ModbusFrames.h"

using namespace kvcom3;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr auto kSent = TraceDirection::Sent;
constexpr auto kReceived = TraceDirection::Received;

Bytes sealedModbus(Bytes frame) {
    modbus::seal(frame);
    return frame;
}

}  // namespace

TEST(FrameMeaning, NamesKvbusAndModbusFrames) {
    struct Case {
        FrameProtocol protocol;
        TraceDirection direction;
        Bytes bytes;
        std::string meaning;
    };
    const Bytes eepromRead = kvbus::readFrame(2022, 3, true, true);
    Bytes badSum = kvbus::readFrame(100, 2, true, false);
    badSum.back() ^= 1;
    Bytes badCrc = sealedModbus({0x01, 0x83, 0x02});
    badCrc.back() ^= 1;
    const Bytes data{1, 2, 3, 4};
    const Case cases[] = {
        {FrameProtocol::Kvbus, kSent, {0xE3}, "address byte, ID 3"},
        {FrameProtocol::Kvbus, kSent, {0xFE}, "address byte, any sensor"},
        {FrameProtocol::Kvbus, kReceived, {0xDF}, "CTR"},
        {FrameProtocol::Kvbus, kSent, eepromRead, "read EEPROM 3 bytes at 2022"},
        {FrameProtocol::Kvbus, kSent, kvbus::readFrame(300, 2, false, false),
         "read RAM 2 bytes at 300"},
        {FrameProtocol::Kvbus, kSent, kvbus::readFrame(600, 6, false, true),
         "read RAM 6 bytes at 600"},
        {FrameProtocol::Kvbus, kSent, badSum, "read EEPROM 2 bytes at 100, checksum wrong"},
        {FrameProtocol::Kvbus, kSent, kvbus::writeFrame(100, data, true, false),
         "write EEPROM 4 bytes at 100"},
        {FrameProtocol::Kvbus, kSent, kvbus::writeFrame(1500, data, true, true),
         "write EEPROM 4 bytes at 1500"},
        {FrameProtocol::Kvbus, kReceived, {0x06, 0x11, 0x22, 0x39}, "ACK, 2 data bytes"},
        {FrameProtocol::Kvbus,
         kReceived,
         {0x86, 0x11, 0x22, 0x38},
         "ACK, 2 data bytes, checksum wrong"},
        {FrameProtocol::Kvbus, kReceived, {0x06}, "ACK"},
        {FrameProtocol::Kvbus, kReceived, {0x15}, "NAK"},
        {FrameProtocol::Kvbus, kReceived, {0x42}, "not ACK"},
        {FrameProtocol::Kvbus, kSent, {0xB1, 0xA9, 0x5A}, "command UnlockEEPROM"},
        {FrameProtocol::Kvbus, kSent, {0xA1, 0x00, 0xA1}, "command RAMtoEEPROM or IDABCtoEEPROM"},
        {FrameProtocol::Kvbus, kSent, kvbus::muxSelectFrame(0x0102, 7),
         "network switch to board 258 position 7"},
        {FrameProtocol::Kvbus, kSent, {0x30, 0x00}, "unknown frame"},
        {FrameProtocol::Modbus, kSent, modbus::readFrame(1, kvEEPROM, 16, 32),
         "slave 1, read EEPROM 32 bytes at 16"},
        {FrameProtocol::Modbus, kReceived, sealedModbus({0x01, 0x46, 0x02, 0xAA, 0xBB}),
         "slave 1, EEPROM, 2 data bytes"},
        {FrameProtocol::Modbus, kSent, modbus::readFrame(1, kvMBHR, 200, 4),
         "slave 1, read holding registers 2 from 100"},
        {FrameProtocol::Modbus, kSent, modbus::writeFrame(1, kvEEPROM, 8, data),
         "slave 1, write EEPROM 4 bytes at 8"},
        {FrameProtocol::Modbus, kReceived, sealedModbus({0x01, 0x43}), "slave 1, written EEPROM"},
        {FrameProtocol::Modbus, kReceived, sealedModbus({0x01, 0x83, 0x02}),
         "slave 1, exception 2: Illegal data address"},
        {FrameProtocol::Modbus, kReceived, badCrc,
         "slave 1, exception 2: Illegal data address, CRC wrong"},
        {FrameProtocol::Modbus, kSent, modbus::commandFrame(254, cmdRestart)->frame,
         "slave 254, command RESTART"},
        {FrameProtocol::Modbus, kSent, sealedModbus({0x01, 0x2B, 0x0E, 0x01}),
         "slave 1, function 43"},
        {FrameProtocol::Modbus, kReceived, {0x01, 0x46}, "unknown frame"},
        {FrameProtocol::Modbus,
         kReceived,
         {0x01, 0x46, 0x05, 0x00},
         "slave 1, reply to function 70, CRC wrong"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(frameMeaning(c.protocol, c.direction, c.bytes), c.meaning) << frameHex(c.bytes);
    EXPECT_EQ(frameHex(eepromRead), "8B 07 E6 78");
    EXPECT_EQ(frameMeaning(FrameProtocol::Modbus, kSent, {}), "nothing");
}
