#pragma once

#include <cstdint>
#include <filesystem>

#include "journal/JournalFormat.h"

namespace kvcom3 {

// Appends `line` to the journal file, creating the file (and its directory) when missing. With
// `durable` it returns once the line is on the disk (file and, for a new file, directory
// synced); without, the system writes it back in its own time. The line
// gets the next id of the file; a write record without an operation gets its own id as
// operation. A torn last line stays where it is and the new line starts on a line of its own.
// Another process appending at the same time waits for the file lock. 70 "Permission denied" or
// 75 "Path/File access error" naming the path when the file cannot be written.
std::int64_t appendJournalLine(const std::filesystem::path& file, JournalLine& line,
                               bool durable = true);

// 70 for a permission the system refused, else 75; the text names the path.
[[noreturn]] void raiseJournalFileError(const std::filesystem::path& path, int error);

}  // namespace kvcom3
