#pragma once

#include <cstdint>
#include <string>

#include "kvcom3/Enums.h"
#include "kvcom3/KvError.h"

namespace kvcom3 {

// Frames carry 16-bit addresses (register numbers in the Modbus register spaces, two bytes
// each). A range beyond them cannot reach the sensor: its frames would wrap onto other
// addresses, and its image would grow without bound.
inline void requireAddressable(std::int32_t start, std::int32_t count, std::uint8_t memType) {
    const std::int64_t limit = (memType == kvMBIR || memType == kvMBHR) ? 131072 : 65536;
    const std::int64_t end = std::int64_t{start} + count;
    if (start < 0 || end > limit) {
        raisePlatformError(platform_error::Overflow, "adresses " + std::to_string(start) + " to " +
                                                         std::to_string(end - 1) +
                                                         " are beyond the sensor's address space");
    }
}

}  // namespace kvcom3
