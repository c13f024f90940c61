#include "link/SensorIdentity.h"

#include "facade/clsErrors.h"

namespace kvcom3 {

std::uint8_t platformOfPart(std::uint8_t partByte) {
    if (partByte == 255) clsErrors().Raise(errUnknownProduct);
    std::uint8_t code = partCode(partByte);
    if ((code >= 28 && code <= 31) || (code >= 12 && code <= 15)) return 5;
    if (code == 27) return 6;
    if (code == 26) return 61;
    if (code == 23 || code == 24) return 7;
    if (code >= 19 && code <= 22) return 8;
    clsErrors().Raise(errUnknownProduct);
}

int commandSetOf(std::uint8_t partByte) {
    std::uint8_t platform = platformOfPart(partByte);
    if (platform == 5) return (partCode(partByte) & 3) == 0 ? 2 : 1;
    return platform == 6 ? 1 : 2;
}

}  // namespace kvcom3
