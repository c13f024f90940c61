#include "link/FrameTrace.h"

#include <chrono>
#include <utility>

#include "kvcom3/Clock.h"

namespace kvcom3 {

namespace {

struct Observer {
    FrameTrace trace;
    Clock::Duration start{};
};

Observer& observer() {
    static Observer instance;
    return instance;
}

}  // namespace

void setFrameTrace(FrameTrace trace) {
    observer().start = clock().now();
    observer().trace = std::move(trace);
}

void traceFrame(TraceDirection direction, std::span<const std::uint8_t> bytes) {
    const Observer& o = observer();
    if (!o.trace || bytes.empty()) return;
    const std::chrono::duration<double> passed = clock().now() - o.start;
    o.trace(direction, bytes, passed.count());
}

}  // namespace kvcom3
