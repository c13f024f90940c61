#include "link/LineEcho.h"

#include <algorithm>
#include <cstdio>

namespace kvcom3 {

namespace {

std::string hex(std::span<const std::uint8_t> bytes) {
    std::string text;
    for (std::uint8_t b : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, text.empty() ? "%02X" : " %02X", b);
        text += digits;
    }
    return text;
}

}  // namespace

void LineEcho::sent(std::span<const std::uint8_t> bytes) {
    if (faulted_) reset();
    due_.insert(due_.end(), bytes.begin(), bytes.end());
}

LineEcho::Heard LineEcho::take(std::span<const std::uint8_t> bytes) {
    Heard heard;
    if (faulted_) return heard;
    std::size_t i = 0;
    for (; i < bytes.size() && echoed_ < due_.size(); ++i, ++echoed_) {
        if (bytes[i] == due_[echoed_]) continue;
        // The bytes heard in place of the echo, as far as the echo reaches.
        std::vector<std::uint8_t> instead(due_.begin(), due_.begin() + echoed_);
        std::size_t rest = std::min(bytes.size() - i, due_.size() - echoed_);
        instead.insert(instead.end(), bytes.begin() + i, bytes.begin() + i + rest);
        heard.fault = "Echo fault: sent " + hex(due_) + ", heard " + hex(instead);
        reset();
        faulted_ = true;
        return heard;
    }
    if (echoed_ == due_.size()) reset();
    heard.data.assign(bytes.begin() + i, bytes.end());
    return heard;
}

void LineEcho::reset() {
    due_.clear();
    echoed_ = 0;
    faulted_ = false;
}

}  // namespace kvcom3
