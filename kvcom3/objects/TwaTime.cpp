#include "objects/TwaTime.h"

#include <cmath>

namespace kvcom3::objects {

namespace {
constexpr std::int32_t kLongestTime = 61446;
}

std::optional<std::int32_t> twaSeconds(std::int32_t code) {
    if (code == 0) return 6;
    if (code == 1) return 7;
    if (code < 8 || code > 127) return std::nullopt;
    const std::int32_t mantissa = 8 + code % 8;
    const int exponent = code / 8 - 3;
    const std::int32_t scaled = exponent >= 0 ? mantissa << exponent : mantissa >> -exponent;
    return 6 + scaled;
}

std::optional<std::int16_t> twaCode(double seconds) {
    if (!(seconds >= 0) || seconds > kLongestTime) return std::nullopt;
    if (seconds <= 6) return 0;
    if (seconds <= 22 && seconds != std::floor(seconds)) return std::nullopt;
    if (seconds == 7) return 1;
    for (std::int16_t code = 8; code <= 127; ++code) {
        if (*twaSeconds(code) >= seconds) return code;
    }
    return std::nullopt;
}

}  // namespace kvcom3::objects
