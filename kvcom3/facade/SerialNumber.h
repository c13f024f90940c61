#pragma once

#include <cstdint>
#include <string>

namespace kvcom3 {

// The serial number as people read it: the part number, then the number padded with zeros to
// five digits. Numbers of six digits and more (three-byte fields) follow unpadded.
std::string formatSerialNr(std::uint8_t part, std::int64_t number);

}  // namespace kvcom3
