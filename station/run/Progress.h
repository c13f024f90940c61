#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "recipe/Recipe.h"

namespace station {

// What the station shows while a run goes on. On a terminal one line per recipe line, redrawn
// in place (the position under way, its step, the counts so far); elsewhere one line per
// finished position. With --json every worker event is passed on as it came.
class Progress {
  public:
    enum class Mode { Terminal, Lines, Json };

    Progress(const Recipe& recipe, Mode mode, std::ostream& out);

    // One event line of the worker of line `index`.
    void event(std::size_t index, const std::string& line);
    // A worker that ended without finishing its positions, by its exit status.
    void workerEnded(std::size_t index, int status);
    // Ends the display with the totals; `runId` names the run for reports.
    void finish(const std::string& runId);

    int passed() const { return total(&LineState::passed); }
    int failed() const { return total(&LineState::failed); }
    int interrupted() const { return total(&LineState::interrupted); }

  private:
    struct LineState {
        std::string name;
        std::size_t positions = 0;
        int position = 0;
        std::string step;
        int passed = 0;
        int failed = 0;
        int interrupted = 0;
        std::string ended;
    };
    int total(int LineState::*count) const;
    std::string text(const LineState& line) const;
    void redraw();

    Mode mode_;
    std::ostream& out_;
    std::vector<LineState> lines_;
    bool drawn_ = false;
};

}  // namespace station
