#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "kvcom3/Journal.h"
#include "kvcom3/SensorBackup.h"

namespace kvcom3 {

class clsAdressLevel;

// Moving a backup between a file and the connected sensor, shared by every program that offers
// backup, restore and diff.

// The whole of one memory, read from the sensor in the largest blocks the protocol allows;
// nothing for a size of 0. The level's errors.
std::vector<std::uint8_t> readWholeMemory(clsAdressLevel& level, std::uint8_t memType,
                                          std::int32_t size);
// The connected sensor's identity, whole EEPROM and RAM, stamped with `program` and the time
// (UTC). The level's errors.
SensorBackup takeSensorBackup(clsAdressLevel& level, std::string program);

// 5 naming `file` when the backup is of another platform, part number or EEPROM size than
// `sensor`; the serial number is the caller's to judge.
void requireSameKind(const SensorBackup& backup, const JournalSensor& sensor,
                     const std::string& file);
// A backup file beside the connected sensor's EEPROM as it is now: what a restore or a diff
// compares.
struct BackupComparison {
    SensorBackup backup;
    JournalSensor sensor;
    std::vector<std::uint8_t> now;
};
// Reads the backup `file`, the sensor's identity and, once the backup is known to be of the
// same kind (requireSameKind), the sensor's whole EEPROM. The errors of readSensorBackup and
// requireSameKind, and the level's.
BackupComparison compareWithBackup(clsAdressLevel& level, const std::string& file);

// The EEPROM addresses whose byte in `backup` differs from `now` (the sensor's EEPROM), leaving
// out the serial number's bytes, which a copy to another sensor keeps.
std::vector<std::int32_t> restoreAddresses(const SensorBackup& backup, const JournalSensor& sensor,
                                           std::span<const std::uint8_t> now);
// Writes the backup's bytes at `addresses` through the level's EEPROM write (journaled under the
// operation text the caller set). The level's errors.
void writeBackupBytes(clsAdressLevel& level, const SensorBackup& backup,
                      std::span<const std::int32_t> addresses);

}  // namespace kvcom3
