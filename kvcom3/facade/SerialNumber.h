#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kvcom3 {

class clsAdressLevel;

// The sensor's serial number field as a number, read through the level (from the sensor when
// the image lacks it or when forced): RAM 66 on platform 5, EEPROM 170 on platform 6, three
// bytes 26 below the end of EEPROM on platforms 7 and 8; nothing on other platforms. The
// level's errors.
std::optional<std::int64_t> readSerialNumber(clsAdressLevel& level, bool force);

// The serial number as people read it: the part number, then the number padded with zeros to
// five digits. Numbers of six digits and more (three-byte fields) follow unpadded.
std::string formatSerialNr(std::uint8_t part, std::int64_t number);

}  // namespace kvcom3
