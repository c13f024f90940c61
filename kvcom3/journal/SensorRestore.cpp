#include "kvcom3/SensorRestore.h"

#include <algorithm>

#include "kvcom3/Enums.h"
#include "kvcom3/KvError.h"
#include "kvcom3/UtcTime.h"
#include "kvcom3/clsAdressLevel.h"

namespace kvcom3 {

namespace {

std::string describe(const JournalSensor& s) {
    return "platform " + std::to_string(s.platform) + ", part " + std::to_string(s.part) +
           ", serial " + std::to_string(s.serial) + ", EEPROM " + std::to_string(s.eepromSize);
}

// The serial number's bytes.
std::vector<std::int32_t> serialAddresses(const JournalSensor& s) {
    if (s.platform == 6) return {170, 171};
    if (s.platform == 7 || s.platform == 8) {
        const std::int32_t at = (s.eepromSize - 1) & 0xFFE6;
        return {at, at + 1, at + 2};
    }
    return {};
}

}  // namespace

std::vector<std::uint8_t> readWholeMemory(clsAdressLevel& level, std::uint8_t memType,
                                          std::int32_t size) {
    std::vector<std::uint8_t> bytes;
    if (size <= 0) return bytes;
    level.ReadFromSensor(0, size, memType, kvReadFromSensor);
    bytes.reserve(static_cast<std::size_t>(size));
    for (std::int32_t a = 0; a < size; ++a)
        bytes.push_back(static_cast<std::uint8_t>(level.Value(a, 1, memType)));
    return bytes;
}

SensorBackup takeSensorBackup(clsAdressLevel& level, std::string program) {
    SensorBackup backup;
    backup.sensor = journalSensor(level);
    backup.program = std::move(program);
    backup.time = utcTimestamp();
    backup.eeprom = readWholeMemory(level, kvEEPROM, backup.sensor.eepromSize);
    backup.ram = readWholeMemory(level, kvRAM, level.MemSize(kvRAM));
    return backup;
}

void requireSameKind(const SensorBackup& backup, const JournalSensor& sensor,
                     const std::string& file) {
    const JournalSensor& b = backup.sensor;
    if (b.platform != sensor.platform || b.part != sensor.part || b.eepromSize != sensor.eepromSize)
        raisePlatformError(platform_error::InvalidCall,
                           "backup " + file + " is of another kind of sensor (" + describe(b) +
                               "; connected: " + describe(sensor) + ")");
}

BackupComparison compareWithBackup(clsAdressLevel& level, const std::string& file) {
    BackupComparison c;
    c.backup = readSensorBackup(file);
    c.sensor = journalSensor(level);
    requireSameKind(c.backup, c.sensor, file);
    c.now = readWholeMemory(level, kvEEPROM, c.sensor.eepromSize);
    return c;
}

std::vector<std::int32_t> restoreAddresses(const SensorBackup& backup, const JournalSensor& sensor,
                                           std::span<const std::uint8_t> now) {
    const auto keep = serialAddresses(sensor);
    const auto size = static_cast<std::int32_t>(
        std::min({now.size(), backup.eeprom.size(), static_cast<std::size_t>(sensor.eepromSize)}));
    std::vector<std::int32_t> differing;
    for (std::int32_t a = 0; a < size; ++a) {
        const auto i = static_cast<std::size_t>(a);
        if (now[i] != backup.eeprom[i] && std::find(keep.begin(), keep.end(), a) == keep.end())
            differing.push_back(a);
    }
    return differing;
}

void writeBackupBytes(clsAdressLevel& level, const SensorBackup& backup,
                      std::span<const std::int32_t> addresses) {
    if (addresses.empty()) return;
    for (const std::int32_t a : addresses)
        level.LetValue(a, 1, kvEEPROM, false, 0, kvLSByteAtHighAdress,
                       backup.eeprom[static_cast<std::size_t>(a)]);
    level.WriteToSensor(0, backup.sensor.eepromSize, kvEEPROM, kvAutoWriteToSensor);
}

}  // namespace kvcom3
