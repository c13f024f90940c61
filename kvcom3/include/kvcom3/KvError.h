#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kvcom3 {

// A failure as the libraries report it: the public error number and its description travel
// unchanged from the layer that raised it up to the caller.
class KvError : public std::runtime_error {
  public:
    KvError(std::int32_t number, std::string description, std::string source = {});

    std::int32_t number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }
    const std::string& source() const noexcept { return source_; }

  private:
    std::int32_t number_;
    std::string description_;
    std::string source_;
};

// Run-time errors that belong to the platform rather than to a library's own table.
namespace platform_error {
inline constexpr std::int32_t InvalidCall = 5;  // invalid procedure call, item not found
inline constexpr std::int32_t Overflow = 6;
inline constexpr std::int32_t SubscriptOutOfRange = 9;
inline constexpr std::int32_t DivisionByZero = 11;
inline constexpr std::int32_t TypeMismatch = 13;
inline constexpr std::int32_t FileNotFound = 53;
inline constexpr std::int32_t ObjectNotSet = 91;
inline constexpr std::int32_t PermissionDenied = 70;
inline constexpr std::int32_t PathFileAccess = 75;
inline constexpr std::int32_t InvalidPropertyValue = 380;
inline constexpr std::int32_t DuplicateKey = 457;
inline constexpr std::int32_t PortAlreadyOpen = 8005;
}  // namespace platform_error

[[noreturn]] void raisePlatformError(std::int32_t number, const std::string& detail = {});

}  // namespace kvcom3
