#include "link/LineLog.h"

#include <utility>

namespace kvcom3 {

namespace {
std::function<void(const std::string&)>& current() {
    static std::function<void(const std::string&)> log;
    return log;
}
}  // namespace

LineLogScope::LineLogScope(std::function<void(const std::string&)> log)
    : previous_(std::exchange(current(), std::move(log))) {}

LineLogScope::~LineLogScope() {
    current() = std::move(previous_);
}

void logLine(const std::string& text) {
    if (current()) current()(text);
}

}  // namespace kvcom3
