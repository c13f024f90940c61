#include "facade/SerialNumber.h"

namespace kvcom3 {

std::string formatSerialNr(std::uint8_t part, std::int64_t number) {
    std::string digits = std::to_string(number);
    std::string padding = digits.size() < 5 ? std::string(5 - digits.size(), '0') : std::string();
    return std::to_string(part) + padding + digits;
}

}  // namespace kvcom3
