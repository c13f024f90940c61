#include "Memory.h"

#include <string>

#include "kvcom3/Enums.h"
#include "kvcom3/clsAdressLevel.h"

namespace kvtool {

namespace {

// The library wraps EEPROM addresses at the size, so an address beyond it would quietly reach
// another byte: refuse it before the bytes travel.
void requireWithinEeprom(kvcom3::clsAdressLevel& level, std::uint8_t memType, std::int32_t address,
                         std::int32_t count) {
    if (memType != kvcom3::kvEEPROM) return;
    const std::int32_t size = level.EEPROMsize();
    if (size > 0 && address + count > size) {
        throw BadAddress("EEPROM address " + std::to_string(address + count - 1) +
                         " is beyond the sensor's EEPROM of " + std::to_string(size) +
                         " bytes (addresses 0-" + std::to_string(size - 1) + ")");
    }
}

}  // namespace

std::vector<std::uint8_t> peekBytes(kvcom3::ISensMem& sensor, std::uint8_t memType,
                                    std::int32_t address, std::int32_t count) {
    auto level = sensor.AdressLevel();
    requireWithinEeprom(*level, memType, address, count);
    level->ReadFromSensor(address, count, memType, kvcom3::kvReadFromSensor);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i)
        bytes.push_back(static_cast<std::uint8_t>(level->Value(address + i, 1, memType)));
    return bytes;
}

void pokeBytes(kvcom3::ISensMem& sensor, std::uint8_t memType, std::int32_t address,
               const std::vector<std::uint8_t>& bytes) {
    auto level = sensor.AdressLevel();
    const auto count = static_cast<std::int32_t>(bytes.size());
    requireWithinEeprom(*level, memType, address, count);
    for (std::int32_t i = 0; i < count; ++i)
        level->LetValue(address + i, 1, memType, false, 0, kvcom3::kvLSByteAtHighAdress,
                        bytes[static_cast<std::size_t>(i)]);
    level->WriteToSensor(address, count, memType, kvcom3::kvWriteToSensor);
}

void printBytes(std::ostream& out, const std::vector<std::uint8_t>& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) out << (i ? " " : "") << int{bytes[i]};
    out << '\n';
}

}  // namespace kvtool
