#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kvcom3 {

// A failure as the libraries report it: the public error number and its description travel
// unchanged from the layer that raised it up to the caller.
class KvError : public std::runtime_error {
  public:
    // what() returns the description; `source` names the raising component where one is known.
    KvError(std::int32_t number, std::string description, std::string source = {});

    // The public error number (1000 ... 1304 and 32755 for the sensor link, 1000 ... 1017 for
    // the calibrations, the platform numbers below for run-time errors).
    std::int32_t number() const noexcept { return number_; }
    // The English text callers have always seen for the number, spelling included.
    const std::string& description() const noexcept { return description_; }
    // Empty unless the raiser named one; the libraries pass none of their own.
    const std::string& source() const noexcept { return source_; }

  private:
    std::int32_t number_;
    std::string description_;
    std::string source_;
};

// Run-time errors that belong to the platform rather than to a library's own table, with the
// classic numbers and texts.
namespace platform_error {
// "Invalid procedure call or argument": also a collection item that is not there.
inline constexpr std::int32_t InvalidCall = 5;
// "Overflow": a result that does not fit its type.
inline constexpr std::int32_t Overflow = 6;
// "Subscript out of range": a port number outside 0-23, a table too short.
inline constexpr std::int32_t SubscriptOutOfRange = 9;
inline constexpr std::int32_t DivisionByZero = 11;
// "Type mismatch": a Variant of the wrong kind for the conversion.
inline constexpr std::int32_t TypeMismatch = 13;
// "File not found": no such serial device.
inline constexpr std::int32_t FileNotFound = 53;
// "Object variable or With block variable not set": no sensor, memory map or object to use.
inline constexpr std::int32_t ObjectNotSet = 91;
inline constexpr std::int32_t PermissionDenied = 70;
// "Path/File access error": any other failure of a device or file.
inline constexpr std::int32_t PathFileAccess = 75;
// "Invalid property value": line settings that are not valid.
inline constexpr std::int32_t InvalidPropertyValue = 380;
// "Key is already associated with an element of this collection".
inline constexpr std::int32_t DuplicateKey = 457;
// "Port already open": the device is in use by another program.
inline constexpr std::int32_t PortAlreadyOpen = 8005;
}  // namespace platform_error

// Throws KvError with `number` and its platform text, followed by ": " and `detail` when given
// (an unlisted number gets "Application-defined or object-defined error").
[[noreturn]] void raisePlatformError(std::int32_t number, const std::string& detail = {});

}  // namespace kvcom3
