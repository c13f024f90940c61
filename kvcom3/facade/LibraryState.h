#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

namespace kvcom3 {

// The connection the lower layers serve. Each facade call that reaches the sensor installs its
// own connection here first, so the serial and protocol layers never need the facade.
struct Connection {
    bool OnLine = false;
    std::int16_t ComPort = 0;
    std::int16_t ComID = 0;
    std::int16_t ComIDx = 0;
    std::int16_t ComIDy = 0;
};

// Library-wide state, shared by every ISensMem in the process.
extern Connection gConnection;
extern bool gCancel;
extern bool gLeavePortOpen;
extern std::uint8_t gProtokoll;
// The attempts a scan allows each transfer (kvcom3/ScanAttempts.h); 0 outside a scan.
extern int gScanAttempts;

// The attempts a transfer makes before it gives up: its own count, or fewer during a scan.
inline int attemptLimit(int own) {
    return gScanAttempts > 0 && gScanAttempts < own ? gScanAttempts : own;
}
// How long a read waits for its reply: its own time, or less during a scan.
std::chrono::milliseconds replyWait(std::chrono::milliseconds own);

class clsAdressLevel;
// The address level the memory map and object tree work through: the one the last level getter
// of an ISensMem handed out. A strong reference, so it outlives a released facade level.
extern std::shared_ptr<clsAdressLevel> gAdressLevel;

class clsArrayLevel;
// The memory map the object tree works through: set by the ObjectLevel getter of an ISensMem.
extern std::shared_ptr<clsArrayLevel> gArrayLevel;

}  // namespace kvcom3
