#include "link/PortEnvironment.h"

#include <charconv>
#include <cstdlib>
#include <string>
#include <string_view>

#include "kvcom3/KvError.h"

namespace kvcom3 {

namespace {

const char* variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

[[noreturn]] void invalid(const char* name, std::string_view value, const char* expected) {
    raisePlatformError(
        platform_error::InvalidPropertyValue,
        std::string(name) + "=" + std::string(value) + " (expected " + expected + ")");
}

void readSwitch(const char* name, bool& out) {
    const char* value = variable(name);
    if (value == nullptr) return;
    std::string_view text(value);
    if (text != "0" && text != "1") invalid(name, text, "0 or 1");
    out = text == "1";
}

void readBaud(const char* name, std::uint32_t& out) {
    const char* value = variable(name);
    if (value == nullptr) return;
    std::string_view text(value);
    std::uint32_t baud = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), baud);
    if (ec != std::errc{} || end != text.data() + text.size() || baud == 0) {
        invalid(name, text, "a baud rate such as 19200");
    }
    out = baud;
}

}  // namespace

PortOptions portOptionsFromEnvironment() {
    PortOptions options;
    readSwitch("KVCOM3_RS485", options.rs485);
    readSwitch("KVCOM3_ECHO", options.echo);
    readBaud("KVCOM3_BAUD", options.modbusBaud);
    return options;
}

}  // namespace kvcom3
