#pragma once

#include <cstdint>
#include <span>

#include "kvcom3/Trace.h"

namespace kvcom3 {

// Hands the bytes to the installed frame observer, if any; empty blocks are not shown.
void traceFrame(TraceDirection direction, std::span<const std::uint8_t> bytes);

}  // namespace kvcom3
