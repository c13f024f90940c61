#pragma once

namespace kvcom3 {

// Asks the serial driver behind `fd` for its RS-485 mode with RTS raised while sending and
// dropped after it; true when the driver took the setting. Leaves a line without it untouched.
bool askRs485(int fd);

}  // namespace kvcom3
