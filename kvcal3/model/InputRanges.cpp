#include "kvcal3/InputRanges.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

#include "kvcom3/KvError.h"
#include "kvcom3/VbTypes.h"
#include "model/clsErrors.h"

namespace kvcal3 {

namespace {

struct Row {
    const char* key;
    InputRange range;
};

constexpr InputRange number(double low, double high) {
    return {InputKind::Number, low, high};
}

// What each procedure can work with. A measured signal is a 16-bit count; pressures in hPa,
// concentrations in ppm, the temperature in the channel's unit (Celsius or Fahrenheit), the RH
// probe's offset in V and slope in mV per %RH, heater resistances in ohm, absolute humidities
// in g/m3. The humidity-compensated CO calibration's ranges are the ones its calculation checks.
constexpr InputRange kSignal = number(1, 65535);
constexpr InputRange kPressure = number(500, 1200);
constexpr InputRange kCO2Gas = number(0, 100000);
constexpr InputRange kDetectorTemp = number(-32768, 65535);
constexpr InputRange kCOOld = number(1000, 63000);
constexpr InputRange kAbsoluteHumidity = number(0, 30);

constexpr std::array<Row, 35> kRanges{{
    {"cvCO2ZeroCalOld", kSignal},
    {"cvCO2BackGroundCalOld", kSignal},
    {"cvCO2BackGroundCalPressure", kPressure},
    {"cvCO2OCOffsetCalOld", kSignal},
    {"cvCO2OffsetCalGas", kCO2Gas},
    {"cvCO2OffsetCalPressure", kPressure},
    {"cvCO2OffsetCalDT", kDetectorTemp},
    {"cvCO2SpanCalOld", kSignal},
    {"cvCO2SpanCalDT", kDetectorTemp},
    {"cvCO2SpanCalGas", kCO2Gas},
    {"cvCO2SpanCalPressure", kPressure},
    {"cvCO2BGCalOld", kSignal},
    {"cpCO2OffsetGas", kCO2Gas},
    {"cvCO2BGCalPreassure", kPressure},
    {"cvCO2SpanCalPreassure", kPressure},
    {"cvSpaceTempOffsetAdjustCorrectTemp", number(-50, 150)},
    {"cvSpaceRHCalFile", {InputKind::Text, 0, 0}},
    {"cvSpaceRHCalChannel", {InputKind::Integer, 0, 255}},
    {"cvSpaceRHCalZeroOffset", number(0, 5)},
    {"cvSpaceRHCalSlope", number(1, 100)},
    {"cvHeaterStartOHR", number(1, 1000)},
    {"cvHeaterStartRIWA", number(1000, 1e8)},
    {"cvHeaterCalOHR", number(1, 1000)},
    {"cvHeaterCalRIWA", number(1000, 1e8)},
    {"cvCOAHZeroSpanCalSpanGas", number(10, 100)},
    {"cvCOAHZeroSpanCalOLDspangas", kCOOld},
    {"cvCOAHZeroSpanCalAHspangas", kAbsoluteHumidity},
    {"cvCOAHZeroSpanCalOLDdry", kCOOld},
    {"cvCOAHZeroSpanCalAHdry", kAbsoluteHumidity},
    {"cvCOAHZeroSpanCalOldnorm", kCOOld},
    {"cvCOAHZeroSpanCalAHnorm", kAbsoluteHumidity},
    {"cvCOAHZeroSpanCalOldwet", kCOOld},
    {"cvCOAHZeroSpanCalAHwet", number(0.3, 30)},
    {"cvCOAHZeroSpanCalOldzero", kCOOld},
    {"cvCOAHZeroSpanCalAHzero", kAbsoluteHumidity},
}};

bool sameKey(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The whole text as a number, the same in every locale; nothing for anything else.
std::optional<double> parseNumber(const std::string& text) {
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

}  // namespace

InputRange inputRange(const std::string& inputKey) {
    for (const Row& row : kRanges)
        if (sameKey(row.key, inputKey)) return row.range;
    return number(-std::numeric_limits<float>::max(), std::numeric_limits<float>::max());
}

kvcom3::Variant checkedInputValue(const std::string& inputKey, const std::string& text) {
    const InputRange range = inputRange(inputKey);
    if (range.kind == InputKind::Text) return kvcom3::Variant(text);
    const std::optional<double> value = parseNumber(text);
    const bool whole = range.kind == InputKind::Integer;
    if (!value || (whole && std::trunc(*value) != *value))
        kvcom3::raisePlatformError(
            kvcom3::platform_error::InvalidPropertyValue,
            inputKey + "='" + text + "' is not " + (whole ? "a whole number" : "a number"));
    if (*value < range.low || *value > range.high)
        clsErrors().Raise(calInputOutOfRange, inputKey + "='" + text + "' (" +
                                                  kvcom3::doubleToText(range.low) + " ... " +
                                                  kvcom3::doubleToText(range.high) + ")");
    return kvcom3::Variant(*value);
}

std::shared_ptr<kvCalProcInput> findInput(kvCalProcedure& procedure, const std::string& key) {
    std::string keys;
    for (const auto& input : *procedure.InputVariables()) {
        if (sameKey(input->Key, key)) return input;
        keys += (keys.empty() ? "" : ", ") + input->Key;
    }
    kvcom3::raisePlatformError(kvcom3::platform_error::InvalidCall,
                               procedure.Key + " has no input " + key +
                                   " (its inputs: " + (keys.empty() ? "none" : keys) + ")");
}

}  // namespace kvcal3
