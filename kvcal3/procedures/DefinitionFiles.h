#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace kvcal3 {

// Bytes a sensor definition file must hold: the coefficient fields end at offset 180.
inline constexpr std::uintmax_t kSnsDefFileSize = 180;

// "DEF" + the part number padded to five digits + ".PDT" (part 7: DEF00007.PDT).
std::string snsDefFileName(std::uint8_t btePart);

// The directory of the running program; empty when the system cannot tell.
std::filesystem::path programDirectory();

// Where definition files are kept for all programs: the directory named by the environment
// variable KVCAL3_DEF_DIR, else the data directory the library was installed with.
std::filesystem::path snsDefFallbackDirectory();

// The definition file of a part: beside the program when it is there, else in the fallback
// directory (whether or not it exists there).
std::filesystem::path snsDefPath(std::uint8_t btePart, const std::filesystem::path& programDir,
                                 const std::filesystem::path& fallbackDir);

}  // namespace kvcal3
