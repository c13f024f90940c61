#pragma once

#include <string>

namespace kvtest {

// A listing kept as a file under tests/data and compared whole. Run a test with
// KV_UPDATE_LISTINGS=1 in the environment to write what it produced into the file instead (and
// review the change with git diff before committing it).
//
// Returns an empty string when `actual` equals the file `relativePath` (or the file was just
// rewritten), else a message naming the file and its first differing line.
std::string compareListing(const std::string& relativePath, const std::string& actual);

}  // namespace kvtest
