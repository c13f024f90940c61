#pragma once

#include <functional>
#include <string>

namespace kvcom3 {

// The communication log of the transfer running now, for what the port layer notices on the
// line (a spoiled echo) in the middle of an exchange. A scope installs a transfer's log for its
// lifetime and puts back the one it replaced, so a transfer run inside another logs to its own.
class LineLogScope {
  public:
    explicit LineLogScope(std::function<void(const std::string&)> log);
    ~LineLogScope();
    LineLogScope(const LineLogScope&) = delete;
    LineLogScope& operator=(const LineLogScope&) = delete;

  private:
    std::function<void(const std::string&)> previous_;
};

// Hands the line to the running transfer's log; outside a transfer it goes nowhere.
void logLine(const std::string& text);

}  // namespace kvcom3
