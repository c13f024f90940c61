#include "Reporter.h"

#include <algorithm>

namespace kvtool {

namespace {
constexpr int kBarWidth = 40;
}

Reporter::Reporter(kvcom3::ISensMem& sensor, std::ostream& err, bool log, bool progressBar)
    : sensor_(sensor), err_(err), log_(log), progressBar_(progressBar) {
    comLoggId_ = sensor_.ComLogg.connect([this](std::string& text) {
        if (log_) line(text);
    });
    actionId_ = sensor_.Action.connect([this](std::string& text) {
        // A transfer ends with an empty action; the bar goes with it.
        if (text.empty())
            clearBar();
        else if (log_)
            line("action: " + text);
    });
    progressId_ = sensor_.Progress.connect([this](std::int16_t& value) {
        if (progressBar_) progress(value);
    });
}

Reporter::~Reporter() {
    clearBar();
    sensor_.ComLogg.disconnect(comLoggId_);
    sensor_.Action.disconnect(actionId_);
    sensor_.Progress.disconnect(progressId_);
}

void Reporter::line(const std::string& text) {
    clearBar();
    err_ << text << '\n' << std::flush;
}

void Reporter::progress(std::int16_t value) {
    // 0 and 100 alone mark the start and end of a transfer; a bar for them would only flicker.
    if (!barShown_ && (value <= 0 || value >= 100)) return;
    if (barShown_ && value == barValue_) return;
    const int filled = std::clamp<int>(value, 0, 100) * kBarWidth / 100;
    err_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') << "] " << value << "%"
         << std::flush;
    barShown_ = true;
    barValue_ = value;
}

void Reporter::clearBar() {
    if (!barShown_) return;
    err_ << "\r\033[K" << std::flush;
    barShown_ = false;
}

}  // namespace kvtool
