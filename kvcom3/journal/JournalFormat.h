#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "kvcom3/Journal.h"

namespace kvcom3 {

// One line of a journal file, as written and as read back. A line is a write record or the
// done mark of one; see JournalFormat.cpp for the layout.
struct JournalLine {
    enum class Kind { Write, Done };
    Kind kind = Kind::Write;
    JournalRecord record;  // for Done: only id and time; `of` names the write
    std::int64_t of = 0;
};

// The line with its checksum and the ending newline.
std::string formatJournalLine(const JournalLine& line);
// The line (without its newline) when it is whole and its checksum holds, else nothing.
std::optional<JournalLine> parseJournalLine(std::string_view text);

// The first line of every journal file.
extern const char* const kJournalHeader;

// `value` as `digits` lower-case hexadecimal digits, leading zeros kept.
std::string hex(std::uint32_t value, int digits);

// CRC-32 (the polynomial of zip and PNG) of the bytes.
std::uint32_t crc32(std::string_view bytes);

}  // namespace kvcom3
