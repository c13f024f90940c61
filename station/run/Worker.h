#pragma once

#include <cstddef>
#include <ostream>
#include <string>

namespace station {

struct WorkerOptions {
    std::string recipe;
    std::size_t line = 0;  // index into the recipe's lines
    std::string runId;
    std::string db;
};

// One line of a run, in a process of its own: each position in turn, each recorded from the
// moment it starts, with the events on `events`. A position that fails does not stop the
// others; Ctrl-C ends the transfer under way, puts back a write it cut short and records that
// position as interrupted. Returns the exit status: 0 every position passed, 1 one did not,
// 3 the records could not be written.
int runWorker(const WorkerOptions& options, std::ostream& events);

}  // namespace station
