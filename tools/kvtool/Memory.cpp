#include "Memory.h"

#include "kvcom3/Enums.h"
#include "kvcom3/clsAdressLevel.h"

namespace kvtool {

std::vector<std::uint8_t> peekBytes(kvcom3::ISensMem& sensor, std::uint8_t memType,
                                    std::int32_t address, std::int32_t count) {
    auto level = sensor.AdressLevel();
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
