#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include <CLI/CLI.hpp>

namespace kvtool {

// A whole number as scripts write it: decimal ("010" is ten, not eight) or hexadecimal with 0x.
std::optional<std::int64_t> parseNumber(std::string_view text);

// Checks a numeric argument against [lo, hi] and hands it on in plain decimal, so that the option
// never sees CLI11's own reading of leading zeros as octal.
CLI::Validator numberIn(std::int64_t lo, std::int64_t hi);

}  // namespace kvtool
