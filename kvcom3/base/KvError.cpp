#include "kvcom3/KvError.h"

#include <utility>

namespace kvcom3 {

KvError::KvError(std::int32_t number, std::string description, std::string source)
    : std::runtime_error(description),
      number_(number),
      description_(std::move(description)),
      source_(std::move(source)) {}

namespace {

const char* platformText(std::int32_t number) {
    switch (number) {
        case platform_error::InvalidCall: return "Invalid procedure call or argument";
        case platform_error::Overflow: return "Overflow";
        case platform_error::SubscriptOutOfRange: return "Subscript out of range";
        case platform_error::DivisionByZero: return "Division by zero";
        case platform_error::TypeMismatch: return "Type mismatch";
        case platform_error::FileNotFound: return "File not found";
        case platform_error::ObjectNotSet: return "Object variable or With block variable not set";
        case platform_error::PermissionDenied: return "Permission denied";
        case platform_error::PathFileAccess: return "Path/File access error";
        case platform_error::InvalidPropertyValue: return "Invalid property value";
        case platform_error::DuplicateKey:
            return "Key is already associated with an element of this collection";
        case platform_error::PortAlreadyOpen: return "Port already open";
        default: return "Application-defined or object-defined error";
    }
}

}  // namespace

void raisePlatformError(std::int32_t number, const std::string& detail) {
    std::string text = platformText(number);
    if (!detail.empty()) text += ": " + detail;
    throw KvError(number, std::move(text));
}

}  // namespace kvcom3
