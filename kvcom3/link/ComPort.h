#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "link/PortTable.h"

namespace kvcom3 {

// The slot of the port the installed connection names, looked up afresh on every call so that a
// change of connection takes effect at the next operation.
PortSlot& currentPort();

// Opens the current port when on line and not yet open; lets pending events run first. What the
// open has to say for the communication log (a missing lock file, say) goes to `log`.
void OpenCOMport(const std::function<void(const std::string&)>& log = {});
// Closes the current port when on line, unless the caller asked to leave it open; then it does
// nothing at all.
void CloseCOMport();
// The recovery step of a transfer that keeps failing: close and open the port again.
void ReopenCOMport();
// Sets RTS of the current port, on line or not, open or not.
void RTSenable(bool newValue);

// Waits until `count` bytes are waiting on the current port or `timeout` has passed; runs the
// event pump between short blocking waits. True when the bytes are there; false at once when a
// line fault has spoiled the exchange.
bool WaitForBytes(std::size_t count, std::chrono::milliseconds timeout);

}  // namespace kvcom3
