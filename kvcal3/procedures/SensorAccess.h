#pragma once

#include <cstdint>
#include <string_view>

#include "kvcom3/ISensMem.h"

namespace kvcal3 {

// The sensor of the library (gSensor); 91 when no ISensCalibration was given one.
kvcom3::ISensMem& calSensor();

// The value of a named memory cell of the sensor.
std::int32_t cellValue(std::string_view key, bool blnForce = false);

}  // namespace kvcal3
