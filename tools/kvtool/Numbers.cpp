#include "Numbers.h"

#include <charconv>
#include <string>

namespace kvtool {

std::optional<std::int64_t> parseNumber(std::string_view text) {
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.front() == '-') return std::nullopt;
    std::int64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return negative ? -value : value;
}

CLI::Validator numberIn(std::int64_t lo, std::int64_t hi) {
    const std::string range = "[" + std::to_string(lo) + " - " + std::to_string(hi) + "]";
    return CLI::Validator(
        [lo, hi, range](std::string& text) -> std::string {
            std::optional<std::int64_t> value = parseNumber(text);
            if (!value) return "'" + text + "' is not a number";
            if (*value < lo || *value > hi) return text + " is outside " + range;
            text = std::to_string(*value);
            return {};
        },
        "INT in " + range);
}

}  // namespace kvtool
