#pragma once

#include <ostream>
#include <string>

namespace station {

struct RunOptions {
    std::string recipe;
    std::string db;
    std::string operatorName;
    std::string station;
    bool json = false;
};

// Exit statuses of `kvstation run`.
inline constexpr int kAllPassed = 0;
inline constexpr int kSomeFailed = 1;
inline constexpr int kRefused = 2;
inline constexpr int kRecordsFailed = 3;
inline constexpr int kInterruptedRun = 4;

// Runs the recipe: the run is recorded, every line gets a worker process of its own, and their
// events become the progress on `out`; Ctrl-C is passed to every worker, a second one ends them
// at once. Refusals and database failures go to `err`. Returns the exit status.
int runStation(const RunOptions& options, std::ostream& out, std::ostream& err);

}  // namespace station
