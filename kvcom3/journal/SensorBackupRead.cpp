#include "kvcom3/Enums.h"
#include "kvcom3/SensorBackup.h"
#include "kvcom3/clsAdressLevel.h"

namespace kvcom3 {

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

SensorBackup backupSensor(clsAdressLevel& level, std::string program, std::string time) {
    SensorBackup b;
    b.sensor = journalSensor(level);
    b.program = std::move(program);
    b.time = std::move(time);
    b.eeprom = readWholeMemory(level, kvEEPROM, b.sensor.eepromSize);
    b.ram = readWholeMemory(level, kvRAM, level.MemSize(kvRAM));
    return b;
}

}  // namespace kvcom3
