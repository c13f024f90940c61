#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <CLI/CLI.hpp>

#include "Connection.h"
#include "Session.h"

namespace kvtool {

// A list of board positions such as "1-8" or "1,3,5-7": numbers 0-255 and rising ranges,
// each position once. Nothing for text that is not such a list.
std::optional<std::vector<int>> parsePositions(std::string_view text);

// Checks a --positions argument; the option itself parses it again with parsePositions.
CLI::Validator positionList();

// Runs the command once per position of options.positions, one after another, and prints a
// result or a failure for each and then how many failed; a failed position does not stop the
// others. Returns the exit status: 1 when any position failed.
int runAtPositions(const CommandList& commands, const ConnectionOptions& options, bool json);

}  // namespace kvtool
