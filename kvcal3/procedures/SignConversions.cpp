#include "kvcal3/kvCalProcedure.h"
#include "kvcom3/KvError.h"

namespace kvcal3 {

std::int16_t kvCalProcedure::lngToSint(std::int32_t lngValue) {
    // Only a set bit 15 makes the word negative; any value that is not a 16-bit word then fails.
    const std::int64_t value =
        (lngValue & 0x8000) ? static_cast<std::int64_t>(lngValue) - 65536 : lngValue;
    if (value < -32768 || value > 32767) {
        kvcom3::raisePlatformError(kvcom3::platform_error::Overflow,
                                   std::to_string(lngValue) + " is not a 16-bit word");
    }
    return static_cast<std::int16_t>(value);
}

std::int32_t kvCalProcedure::SintToLng(std::int16_t intValue) {
    return intValue < 0 ? intValue + 65536 : intValue;
}

}  // namespace kvcal3
