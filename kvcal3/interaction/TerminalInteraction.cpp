#include "kvcal3/TerminalInteraction.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "kvcal3/ReadingDisplay.h"
#include "kvcom3/Clock.h"
#include "procedures/NumberText.h"

namespace kvcal3 {

namespace {

// Longest answer kept; the rest of an overlong line is dropped.
constexpr std::size_t kMaxLine = 4096;
// How often the display looks for a key while it waits for the next reading.
constexpr std::chrono::milliseconds kKeySlice{50};

enum class KeyState { None, Line, Closed };

KeyState keyWaiting(int fd) {
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, 0);
    // An interrupted wait (Ctrl-C) or a broken input cancels.
    if (ready < 0) return KeyState::Closed;
    if (ready == 0) return KeyState::None;
    return (p.revents & POLLIN) ? KeyState::Line : KeyState::Closed;
}

// The newest reading against the one before and the span of the window.
std::string trendText(const ReadingHistory& history) {
    const auto& h = history.Readings();
    const int present =
        ReadingHistory::kSize - static_cast<int>(std::min<std::int32_t>(history.Count(), 10));
    const auto [low, high] = std::minmax_element(h.begin() + present, h.end());
    std::string text = rawSignalText(h.back());
    if (history.Count() > 1) {
        const float change = h.back() - h[ReadingHistory::kSize - 2];
        text += "  (" + std::string(change >= 0 ? "+" : "") + userNumberText(change) + ", last " +
                std::to_string(ReadingHistory::kSize - present) + ": " + userNumberText(*low) +
                " ... " + userNumberText(*high) + ")";
    }
    return text;
}

}  // namespace

TerminalInteraction::TerminalInteraction(int inputFd, std::FILE* output)
    : in_(inputFd), out_(output ? output : stdout) {}

std::optional<std::string> TerminalInteraction::readLine() {
    std::string line;
    char c = 0;
    for (;;) {
        const ssize_t n = ::read(in_, &c, 1);
        if (n < 0 && errno == EINTR) return std::nullopt;
        if (n <= 0) {
            if (line.empty()) return std::nullopt;
            break;
        }
        if (c == '\n') break;
        if (c != '\r' && line.size() < kMaxLine) line.push_back(c);
    }
    return line;
}

std::optional<std::string> TerminalInteraction::InputBox(const std::string& Prompt,
                                                         const std::string& Title,
                                                         const std::string& Default) {
    if (!Title.empty()) std::fprintf(out_, "%s\n", Title.c_str());
    std::fprintf(out_, "%s", Prompt.c_str());
    if (!Default.empty()) std::fprintf(out_, " [%s]", Default.c_str());
    std::fprintf(out_, ": ");
    std::fflush(out_);
    auto line = readLine();
    if (!line) return std::nullopt;
    if (line->empty()) return Default;
    return line;
}

ReadingChoice TerminalInteraction::ShowReading(const std::string& Prompt,
                                               const RawSignalReader& readRawSignal) {
    std::fprintf(out_, "%s\n%s\nthen press Enter to continue or c and Enter to cancel.\n",
                 Prompt.c_str(), kReadingWaitText);
    std::fflush(out_);
    ReadingHistory history;
    for (;;) {
        history.Add(readRawSignal());
        std::fprintf(out_, "%s\n", trendText(history).c_str());
        std::fflush(out_);
        const kvcom3::Deadline next(ReadingRefresh);
        while (!next.expired()) {
            kvcom3::pumpEvents();
            switch (keyWaiting(in_)) {
                case KeyState::None: break;
                case KeyState::Closed: return ReadingChoice::Cancel;
                case KeyState::Line: {
                    auto line = readLine();
                    if (!line) return ReadingChoice::Cancel;
                    const bool cancel =
                        !line->empty() && (line->front() == 'c' || line->front() == 'C');
                    return cancel ? ReadingChoice::Cancel : ReadingChoice::Next;
                }
            }
            kvcom3::Sleep(std::min(kKeySlice, next.remaining()));
        }
    }
}

}  // namespace kvcal3
