#include "procedures/PumpedWait.h"

#include <algorithm>

#include "kvcom3/Clock.h"

namespace kvcal3 {

namespace {

// How often the user interface gets its turn while the wait lasts.
constexpr std::chrono::milliseconds kPumpInterval{50};

}  // namespace

void waitPumpingEvents(std::chrono::milliseconds period) {
    const kvcom3::Deadline deadline(period);
    while (!deadline.expired()) {
        kvcom3::pumpEvents();
        kvcom3::Sleep(std::min(deadline.remaining(), kPumpInterval));
    }
}

}  // namespace kvcal3
