#include "TraceLines.h"

#include <cstdio>
#include <string>

#include "kvcom3/FrameMeaning.h"
#include "kvcom3/Trace.h"

namespace kvtool {

void traceFrames(std::ostream& err) {
    kvcom3::setFrameTrace([&err](kvcom3::TraceDirection direction,
                                 std::span<const std::uint8_t> bytes, double seconds) {
        char time[32];
        std::snprintf(time, sizeof time, "%.3f", seconds);
        err << time << (direction == kvcom3::TraceDirection::Sent ? " > " : " < ")
            << kvcom3::frameHex(bytes) << '\n'
            << std::flush;
    });
}

}  // namespace kvtool
