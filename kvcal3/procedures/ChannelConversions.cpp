#include <algorithm>

#include "kvcal3/kvCalProcedure.h"
#include "kvcom3/VbTypes.h"
#include "procedures/ChannelConfig.h"
#include "procedures/NumberText.h"

namespace kvcal3 {

std::string kvCalProcedure::GetChanUnit(std::uint8_t Ch) {
    // Channel 9 is a flow: its unit is coded in channel 4's byte.
    if (Ch == 9) {
        switch (ChannelConfig::of(4).unitCode()) {
            case 1: return "litre/sec";
            case 2: return "cbf/min";
            default: return {};
        }
    }
    return channelUnitText(ChannelConfig::of(Ch).unitCode());
}

std::string kvCalProcedure::ConvToUser(float& Value, std::uint8_t Ch, bool Komma) {
    // The raw register is a signed 16-bit number.
    Value = lngToSint(kvcom3::toLong(Value));
    const ChannelConfig config = ChannelConfig::of(Ch);
    Value = static_cast<float>(Value / config.scaleFactor());
    Value = static_cast<float>(Value / config.decimalsFactor());
    if (GetChanUnit(Ch) == kFahrenheitUnit) {
        Value = static_cast<float>(Value * 1.8 + 32);
        Value = static_cast<float>(kvcom3::roundHalfEven(Value * 100.0) / 100.0);
    }
    std::string text = userNumberText(Value);
    if (!Komma) std::replace(text.begin(), text.end(), ',', '.');
    return text;
}

float kvCalProcedure::ConvFromUser(const std::string& Txt, std::uint8_t Ch) {
    const ChannelConfig config = ChannelConfig::of(Ch);
    float v = getVal(Txt);
    if (GetChanUnit(Ch) == kFahrenheitUnit) v = static_cast<float>((v - 32) / 1.8);
    v = static_cast<float>(v * config.decimalsFactor());
    v = static_cast<float>(v * config.scaleFactor());
    return static_cast<float>(SintToLng(kvcom3::toInteger(v)));
}

}  // namespace kvcal3
