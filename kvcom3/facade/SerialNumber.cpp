#include "facade/SerialNumber.h"

#include "kvcom3/clsAdressLevel.h"

namespace kvcom3 {

std::string formatSerialNr(std::uint8_t part, std::int64_t number) {
    std::string digits = std::to_string(number);
    std::string padding = digits.size() < 5 ? std::string(5 - digits.size(), '0') : std::string();
    return std::to_string(part) + padding + digits;
}

std::optional<std::int64_t> readSerialNumber(clsAdressLevel& level, bool force) {
    switch (level.Platform()) {
        case 5: return level.Value(66, 2, kvRAM, force);
        case 6: return level.Value(170, 2, kvEEPROM, force);
        case 7:
        case 8: {
            const std::int32_t size = level.EEPROMsize();
            return level.Value((size - 1) & 0xFFE6, 3, kvEEPROM, force, 0, kvLSByteAtLowAdress);
        }
        default: return std::nullopt;
    }
}

}  // namespace kvcom3
