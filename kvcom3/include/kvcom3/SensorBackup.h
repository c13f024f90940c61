#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "kvcom3/Journal.h"

namespace kvcom3 {

class clsAdressLevel;

// A sensor's whole EEPROM and RAM with its identity, as one text file people can diff:
//
//   # kvsensor backup, format 1
//   time 2026-12-09T20:05:02.827Z
//   program kvtool
//   platform 8
//   part 152
//   serial 12345
//   eeprom-size 2048
//   ram-size 2048
//   eeprom 0000 ff 01 ... (16 bytes a line, address in hexadecimal)
//   ram 0000 98 ...
//   crc32 1c291ca3
//
// crc32 is the CRC-32 of every byte before its line. RAM is a snapshot of live values, kept for
// diagnosis and the virtual sensor; only EEPROM is ever written back.
struct SensorBackup {
    JournalSensor sensor;
    std::string time;
    std::string program;
    std::vector<std::uint8_t> eeprom;
    std::vector<std::uint8_t> ram;
};

std::string formatSensorBackup(const SensorBackup& backup);
// The backup in `text`; 5 naming `name` and the line for anything short, damaged or failing
// its checksum.
SensorBackup parseSensorBackup(std::string_view text, const std::string& name);

// Written to a temporary file beside `file`, synced and renamed over it, so a failure leaves
// any earlier file whole; 70 or 75 naming the path.
void writeSensorBackup(const std::filesystem::path& file, const SensorBackup& backup);
// 53 for a missing file, 70 or 75 when it cannot be read, and the errors of parseSensorBackup.
SensorBackup readSensorBackup(const std::filesystem::path& file);

// The whole of one memory (kvEEPROM, kvRAM) read from the sensor into the image and handed back;
// nothing for a size of 0 or less. The level's errors.
std::vector<std::uint8_t> readWholeMemory(clsAdressLevel& level, std::uint8_t memType,
                                          std::int32_t size);

// The connected sensor's identity, EEPROM and RAM as a backup made by `program` at `time`; the
// level's errors.
SensorBackup backupSensor(clsAdressLevel& level, std::string program, std::string time);

}  // namespace kvcom3
