#pragma once

#include <chrono>

namespace kvcal3 {

// Waits on the library clock, letting the caller's window events run meanwhile.
void waitPumpingEvents(std::chrono::milliseconds period);

}  // namespace kvcal3
