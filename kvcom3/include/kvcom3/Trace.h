#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace kvcom3 {

// Which way a traced block went.
enum class TraceDirection {
    Sent,      // written to the port
    Received,  // read from the port
};

// Sees every block of bytes the library writes to or reads from a serial port, with the seconds
// passed on the library clock since the observer was installed. A write is one frame; a read is
// what had arrived when the library took it, so a reply may come in more than one block. The
// observer should not throw: its exception would end the running transfer and reach the caller
// of the member that started it.
using FrameTrace = std::function<void(TraceDirection direction, std::span<const std::uint8_t> bytes,
                                      double seconds)>;

// Installs the observer for the whole library; an empty function removes it. Install it before
// transfers start: it is called on the thread that runs the transfer. The seconds count from this
// call. No errors.
void setFrameTrace(FrameTrace trace);

}  // namespace kvcom3
