#pragma once

#include <chrono>
#include <string>

namespace kvcom3 {

// A moment in UTC as ISO 8601 with milliseconds, "2026-12-09T20:05:02.827Z": the form the
// journal and the production records keep, which sorts as text in time order.
std::string utcTimestamp(
    std::chrono::system_clock::time_point at = std::chrono::system_clock::now());

}  // namespace kvcom3
