#pragma once

#include <cstdint>
#include <optional>

namespace kvcom3::objects {

// The sensor's one-byte time code: codes 0 and 1 are 6 and 7 seconds, codes 8-127 grow
// geometrically (eight steps per doubling) up to 61446 seconds; 2-7 and above 127 mean nothing.
std::optional<std::int32_t> twaSeconds(std::int32_t code);

// The smallest code whose time is at least `seconds`. Between 6 and 22 seconds only whole
// times have a code; below 0 and above 61446 there is none.
std::optional<std::int16_t> twaCode(double seconds);

}  // namespace kvcom3::objects
