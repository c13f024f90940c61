#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "Connection.h"
#include "Session.h"

namespace kvtool {

// How one run of a command against one sensor ended.
struct Outcome {
    bool failed = false;
    // The command line named something the sensor does not have.
    bool badArguments = false;
    // The library's error number; none for a failure outside the library.
    std::optional<int> number;
    std::string description;

    // The failure line scripts look for: "error NUMBER: DESCRIPTION".
    std::string text() const;
};

// Connects to the sensor the options name, runs the parsed command with its results on `out`
// and closes the port again. The failure is handed back, not printed; with --log the
// communication log goes to stderr while the command runs.
Outcome runOnce(const CommandList& commands, const ConnectionOptions& options, bool json,
                std::ostream& out);

}  // namespace kvtool
