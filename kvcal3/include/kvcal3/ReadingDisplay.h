#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace kvcal3 {

// The fixed lines of the reading display, below the prompt of the step.
inline constexpr const char* kReadingPromptDesignText = "Please flow gas through the sensor and";
inline constexpr const char* kReadingWaitText = "wait until readings has stabilized,";
inline constexpr const char* kReadingChooseText = "then click next to continue or cancel to abort.";

// The first reading comes at once, the next ones at this interval.
inline constexpr std::chrono::milliseconds ReadingRefresh{2000};

// "Raw signal: " followed by the reading as a single-precision number in the user's notation.
std::string rawSignalText(float reading);

// One straight line of the plot, in the plot's own coordinates (y grows downwards).
struct PlotLine {
    double x1, y1, x2, y2;
};

// The last ten readings of the display and the scale of its plot. Each new reading moves the
// older ones one place towards the front; the scale spans the earlier readings in the window
// with a margin of 100 on both sides, so the newest reading may leave the plot.
class ReadingHistory {
  public:
    static constexpr int kSize = 10;

    // Forgets every reading; the scale goes back to 0 ... 0.
    void Clear();
    // Takes a new reading at the end and rescales the plot. No errors.
    void Add(float reading);

    // Oldest first; positions not yet filled hold 0.
    const std::array<float, kSize>& Readings() const { return h_; }
    // Readings added since the last Clear.
    std::int32_t Count() const { return c_; }
    // The plot's scale after the last Add.
    float Min() const { return min_; }
    float Max() const { return max_; }

    // Lines between neighbouring readings that both arrived since Clear, oldest first, in a plot
    // of the given size: reading i sits at x = i / 10 * width.
    std::vector<PlotLine> Lines(double width, double height) const;

  private:
    std::array<float, kSize> h_{};
    std::int32_t c_ = 0;
    float min_ = 0;
    float max_ = 0;
};

}  // namespace kvcal3
