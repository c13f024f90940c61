#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "kvcom3/Clock.h"
#include "kvcom3/KvError.h"

namespace kvrel {

// How a run with a cancel ended: the error number (0 for none) and the time, on the library
// clock, from the cancel to the end of the run.
struct CancelOutcome {
    std::int32_t number = 0;
    double secondsAfterCancel = 0;
    bool cancelled = false;  // the pump reached the chosen call
};

// Calls of the event pump during one run of `operation`.
inline long countPumps(const std::function<void()>& operation) {
    long calls = 0;
    kvcom3::setEventPump([&] { ++calls; });
    operation();
    kvcom3::setEventPump(nullptr);
    return calls;
}

// Runs `operation` with `cancel` called from the event pump at its `call`-th turn, as a user's
// click on Cancel arrives while the library lets window events run.
inline CancelOutcome runCancelledAt(long call, const std::function<void()>& cancel,
                                    const std::function<void()>& operation) {
    CancelOutcome outcome;
    long calls = 0;
    kvcom3::Clock::Duration at{};
    kvcom3::setEventPump([&] {
        if (++calls != call) return;
        at = kvcom3::clock().now();
        outcome.cancelled = true;
        cancel();
    });
    try {
        operation();
    } catch (const kvcom3::KvError& e) {
        outcome.number = e.number();
    }
    kvcom3::setEventPump(nullptr);
    if (outcome.cancelled) {
        outcome.secondsAfterCancel =
            std::chrono::duration<double>(kvcom3::clock().now() - at).count();
    }
    return outcome;
}

// `count` seeded pump turns spread over the first nine tenths of a run of `total` turns, so that
// transfers are still to come after each.
inline std::vector<long> cancelPoints(long total, int count, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> pick(1, std::max<long>(1, total * 9 / 10));
    std::vector<long> points;
    for (int i = 0; i < count; ++i) points.push_back(pick(random));
    return points;
}

}  // namespace kvrel
