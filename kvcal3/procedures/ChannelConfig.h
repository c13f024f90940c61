#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kvcal3 {

// The unit text that also makes a channel convert to Fahrenheit: degree sign and "F".
inline constexpr std::string_view kFahrenheitUnit =
    "\xC2\xB0"
    "F";

// The configuration byte of sensor channel Ch ("eaCaseChannel_" Ch): decimals in bits 0-1, unit
// in bits 2-4, scale in bits 5-6.
struct ChannelConfig {
    std::uint8_t byte = 0;

    static ChannelConfig of(std::uint8_t Ch);

    std::uint8_t unitCode() const { return static_cast<std::uint8_t>((byte & 28) / 4); }
    // 1, 1000, 100 or 10: the raw value carries that many parts of one unit.
    double decimalsFactor() const;
    // 1, 10, 16.375 or 163.02.
    double scaleFactor() const;
};

// The unit of unit code 0-7.
std::string channelUnitText(std::uint8_t unitCode);

}  // namespace kvcal3
