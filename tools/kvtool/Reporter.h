#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

#include "kvcom3/ISensMem.h"

namespace kvtool {

// What the sensor's events show on stderr: with --log every ComLogg line and every non-empty
// Action; on a terminal a progress bar while a transfer runs.
class Reporter {
  public:
    Reporter(kvcom3::ISensMem& sensor, std::ostream& err, bool log, bool progressBar);
    ~Reporter();
    Reporter(const Reporter&) = delete;
    Reporter& operator=(const Reporter&) = delete;

  private:
    void line(const std::string& text);
    void progress(std::int16_t value);
    void clearBar();

    kvcom3::ISensMem& sensor_;
    std::ostream& err_;
    bool log_;
    bool progressBar_;
    bool barShown_ = false;
    std::int16_t barValue_ = 0;
    std::size_t comLoggId_ = 0;
    std::size_t actionId_ = 0;
    std::size_t progressId_ = 0;
};

}  // namespace kvtool
