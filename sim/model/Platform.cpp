#include "model/Platform.h"

#include <stdexcept>
#include <string>

namespace kvsim {

int partCode(std::uint8_t partByte) {
    return partByte >> 3;
}

int platformOfPartByte(std::uint8_t partByte) {
    const int code = partCode(partByte);
    if ((code >= 28 && code <= 31) || (code >= 12 && code <= 15)) return 5;
    if (code == 27) return 6;
    if (code == 26) return 61;
    if (code == 23 || code == 24) return 7;
    if (code >= 19 && code <= 22) return 8;
    throw std::runtime_error("part byte " + std::to_string(partByte) + " (code " +
                             std::to_string(code) + ") names no known product");
}

int commandSetOfPartByte(std::uint8_t partByte) {
    const int platform = platformOfPartByte(partByte);
    if (platform == 5) return (partCode(partByte) & 3) == 0 ? 2 : 1;
    return platform == 6 ? 1 : 2;
}

bool platformHasByteAccess(int platform) {
    return platform == 7 || platform == 8;
}

std::size_t platformRamSize(int platform) {
    if (platform == 8) return 2048;
    if (platform == 7) return 1024;
    return 512;
}

}  // namespace kvsim
