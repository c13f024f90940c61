#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace kvcom3::objects {

// The named values the trees of platforms 7 and 8 attach to their objects. Values whose names
// are not known to the library are left out, so they read as their number.
using EnumRows = std::vector<std::pair<std::int32_t, const char*>>;

const EnumRows& errorMaskNames();
const EnumRows& eepromSizeNames();
const EnumRows& communicationNames();
const EnumRows& spaceTempSensorNames();
const EnumRows& probeRangeNames();
const EnumRows& co2SensorNames();
const EnumRows& extraProbeNames();
const EnumRows& topTerminalNames();
const EnumRows& bottomJumperNames();
const EnumRows& displayNames();
const EnumRows& boxNames();
const EnumRows& outputModeNames();
// The firmware's algorithms, for every algorithm-number object.
const EnumRows& algorithmNames();

}  // namespace kvcom3::objects
