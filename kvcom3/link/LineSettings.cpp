#include <charconv>
#include <string>
#include <vector>

#include "kvcom3/KvError.h"
#include "kvcom3/SerialDevice.h"

namespace kvcom3 {

namespace {

std::vector<std::string_view> splitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        std::size_t comma = text.find(',', start);
        fields.push_back(text.substr(start, comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return fields;
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool parseUnsigned(std::string_view s, std::uint32_t& out) {
    s = trim(s);
    if (s.empty()) return false;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
    return ec == std::errc{} && end == s.data() + s.size();
}

[[noreturn]] void invalid(std::string_view text) {
    raisePlatformError(platform_error::InvalidPropertyValue,
                       "settings \"" + std::string(text) + "\" (expected e.g. 9600,n,8,1)");
}

}  // namespace

LineSettings LineSettings::parse(std::string_view text) {
    auto fields = splitFields(text);
    if (fields.size() != 4) invalid(text);
    LineSettings s;
    std::uint32_t data = 0;
    std::uint32_t stop = 0;
    std::string_view parity = trim(fields[1]);
    if (!parseUnsigned(fields[0], s.baud) || s.baud == 0 || parity.size() != 1 ||
        !parseUnsigned(fields[2], data) || !parseUnsigned(fields[3], stop)) {
        invalid(text);
    }
    char p = static_cast<char>(parity[0] | 0x20);  // the letter in lower case
    if (std::string_view("neoms").find(p) == std::string_view::npos) invalid(text);
    if (data < 5 || data > 8 || (stop != 1 && stop != 2)) invalid(text);
    s.parity = p;
    s.dataBits = static_cast<std::uint8_t>(data);
    s.stopBits = static_cast<std::uint8_t>(stop);
    return s;
}

std::string LineSettings::toString() const {
    return std::to_string(baud) + "," + parity + "," + std::to_string(dataBits) + "," +
           std::to_string(stopBits);
}

}  // namespace kvcom3
