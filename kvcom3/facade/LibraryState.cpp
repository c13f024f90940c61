#include "facade/LibraryState.h"

#include <algorithm>

#include "kvcom3/ScanAttempts.h"
#include "kvcom3/clsAdressLevel.h"
#include "kvcom3/clsArrayLevel.h"

namespace kvcom3 {

Connection gConnection;
bool gCancel = false;
bool gLeavePortOpen = false;
std::uint8_t gProtokoll = 0;
int gScanAttempts = 0;
std::shared_ptr<clsAdressLevel> gAdressLevel;
std::shared_ptr<clsArrayLevel> gArrayLevel;

std::chrono::milliseconds replyWait(std::chrono::milliseconds own) {
    return gScanAttempts > 0 ? std::min(own, kScanReplyWait) : own;
}

ScanAttempts::ScanAttempts(int attempts) : previous_(gScanAttempts) {
    gScanAttempts = attempts;
}

ScanAttempts::~ScanAttempts() {
    gScanAttempts = previous_;
}

}  // namespace kvcom3
