#pragma once

namespace kvcom3 {

// Asks the serial driver behind `fd` to pass received bytes on at once rather than after its
// latency timer; true when the driver took the setting. Leaves a line without it untouched.
bool askLowLatency(int fd);

}  // namespace kvcom3
