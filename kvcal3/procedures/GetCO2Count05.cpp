#include <algorithm>

#include "kvcal3/kvCalProcedure.h"
#include "kvcom3/KvError.h"
#include "kvcom3/VbTypes.h"

namespace kvcal3 {

std::optional<float> kvCalProcedure::table05Count(std::uint8_t btePart, float sngUnit) {
    // Generating a table is slow, so it is kept with its part number; both change together, so
    // a failed generation leaves the previous pair intact.
    if (table05Part_ != btePart) {
        std::array<float, 16> generated{};
        TableGenerate05(btePart, generated);
        table05_ = generated;
        table05Part_ = btePart;
    }
    for (int k = 0; k < 15; ++k) {
        const double a = table05_[static_cast<std::size_t>(k)];
        const double b = table05_[static_cast<std::size_t>(k + 1)];
        if (a == b) {
            kvcom3::raisePlatformError(kvcom3::platform_error::DivisionByZero,
                                       "the table of part " + std::to_string(btePart) +
                                           " is flat between points " + std::to_string(k) +
                                           " and " + std::to_string(k + 1));
        }
        if ((a <= sngUnit && sngUnit <= b) || (b <= sngUnit && sngUnit <= a)) {
            const double count = kvcom3::roundHalfEven((sngUnit - a) / (b - a) * 4096 + 4096.0 * k);
            return static_cast<float>(std::clamp(count, 0.0, 65536.0));
        }
    }
    return std::nullopt;
}

float kvCalProcedure::GetCO2Count05(std::uint8_t btePart, float sngUnit) {
    return table05Count(btePart, sngUnit).value_or(65535);
}

}  // namespace kvcal3
