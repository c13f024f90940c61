#include "procedures/ChannelConfig.h"

#include <array>

#include "procedures/SensorAccess.h"

namespace kvcal3 {

ChannelConfig ChannelConfig::of(std::uint8_t Ch) {
    const std::int32_t value = cellValue("eaCaseChannel_" + std::to_string(Ch));
    return ChannelConfig{static_cast<std::uint8_t>(value & 0xFF)};
}

double ChannelConfig::decimalsFactor() const {
    static constexpr std::array<double, 4> kFactors{1, 1000, 100, 10};
    return kFactors[byte & 3];
}

double ChannelConfig::scaleFactor() const {
    static constexpr std::array<double, 4> kFactors{1, 10, 16.375, 163.02};
    return kFactors[(byte & 96) / 32];
}

std::string channelUnitText(std::uint8_t unitCode) {
    switch (unitCode) {
        case 1: return "C";
        case 2: return std::string(kFahrenheitUnit);
        case 3: return "V";
        case 4: return "ppm";
        case 5: return "%";
        case 6: return "g/kg";
        default: return {};
    }
}

}  // namespace kvcal3
