#include "TraceLines.h"

#include <cstdio>
#include <string>

#include "kvcom3/Trace.h"

namespace kvtool {

void traceFrames(std::ostream& err) {
    kvcom3::setFrameTrace([&err](kvcom3::TraceDirection direction,
                                 std::span<const std::uint8_t> bytes, double seconds) {
        char time[32];
        std::snprintf(time, sizeof time, "%.3f", seconds);
        std::string line = time;
        line += direction == kvcom3::TraceDirection::Sent ? " >" : " <";
        for (const std::uint8_t byte : bytes) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02X", byte);
            line += hex;
        }
        err << line << '\n' << std::flush;
    });
}

}  // namespace kvtool
