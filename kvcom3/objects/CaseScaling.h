#pragma once

#include <cstdint>
#include <string_view>

#include "objects/CellReader.h"

namespace kvcom3::objects {

// Which scaling codes a conversion reads: a measurement channel's ("eaCaseChannelDiv_" n and
// "eaCaseChannelDec_" n) or a regulator output's ("eaCaseRegDiv_" n, "eaCaseRegDec_" n).
enum class CaseKind { Channel, Reg };

// The unit text that also switches a temperature to Fahrenheit: degree sign and "F".
inline constexpr std::string_view kFahrenheitUnit =
    "\xC2\xB0"
    "F";
bool isFahrenheit(std::string_view unit) noexcept;

// Raw sensor count to user value: divided by the divisor code (10, 16.375, 163.02, or only
// rounded), by the decimal code (1000, 100, 10), then to Fahrenheit on 2 decimals if asked.
float caseToUser(float value, std::int16_t ch, CaseKind kind, bool fahrenheit,
                 const CellReader& cells);

// The inverse: `value` is left holding the scaled, unrounded count; the rounded count returns.
float caseFromUser(float& value, std::int16_t ch, CaseKind kind, bool fahrenheit,
                   const CellReader& cells);

}  // namespace kvcom3::objects
