#pragma once

#include <chrono>
#include <cstdint>

#include "kvcom3/SerialDevice.h"

namespace kvcom3::modbus {

// The line of Modbus transfers, "9600,n,8,2", at the baud rate the port asks for.
LineSettings lineSettings(std::uint32_t baud);

// The silence that separates two RTU frames: 3.5 character times, and a fixed 1.75 ms above
// 19,200 baud, where character times grow too short for a receiver's timer.
std::chrono::microseconds frameSilence(const LineSettings& settings);

}  // namespace kvcom3::modbus
