#include <algorithm>
#include <limits>

#include "kvcal3/ReadingDisplay.h"
#include "procedures/NumberText.h"

namespace kvcal3 {

std::string rawSignalText(float reading) {
    return "Raw signal: " + userNumberText(reading);
}

void ReadingHistory::Clear() {
    h_.fill(0);
    c_ = 0;
    min_ = 0;
    max_ = 0;
}

void ReadingHistory::Add(float reading) {
    // The scale comes from the readings that were already in the window before this one.
    const std::int32_t first = kSize - c_;
    float high = 0;
    float low = 65535;
    bool scaled = false;
    for (int i = 0; i < kSize - 1; ++i) {
        h_[i] = h_[i + 1];
        if (i >= first) {
            scaled = true;
            high = std::max(high, h_[i]);
            low = std::min(low, h_[i]);
        }
    }
    h_[kSize - 1] = reading;
    if (c_ < std::numeric_limits<std::int32_t>::max()) ++c_;
    if (!scaled) {
        // The first two readings have no earlier ones: scale on what is there instead of on an
        // inverted range.
        const int present = kSize - std::min<std::int32_t>(c_, kSize);
        high = *std::max_element(h_.begin() + present, h_.end());
        low = *std::min_element(h_.begin() + present, h_.end());
    }
    max_ = high + 100;
    min_ = low - 100;
}

std::vector<PlotLine> ReadingHistory::Lines(double width, double height) const {
    std::vector<PlotLine> lines;
    const double range = static_cast<double>(max_) - static_cast<double>(min_);
    auto y = [&](float reading) {
        return height - (static_cast<double>(reading) - min_) / range * height;
    };
    for (int i = 1; i < kSize; ++i) {
        if (i <= kSize - c_) continue;
        lines.push_back({(i - 1) / 10.0 * width, y(h_[i - 1]), i / 10.0 * width, y(h_[i])});
    }
    return lines;
}

}  // namespace kvcal3
