#pragma once

#include <string>
#include <string_view>

#include "kvcom3/Variant.h"

namespace kvtool {

// A JSON string literal: quotes, backslashes and control characters escaped; other bytes pass
// unchanged, so UTF-8 text such as the degree sign stays readable.
std::string jsonString(std::string_view text);

// A Variant as JSON: numbers as numbers, Booleans as true/false, Empty as null, anything else
// (texts, enumeration names) as a string.
std::string jsonValue(const kvcom3::Variant& value);

// Builds one JSON object member by member, in the order added.
class JsonObject {
  public:
    // `json` is already JSON (a number, a nested object or array, ...).
    JsonObject& raw(std::string_view key, std::string_view json);
    JsonObject& text(std::string_view key, std::string_view value);
    JsonObject& number(std::string_view key, long long value);
    std::string str() const { return body_ + "}"; }

  private:
    std::string body_ = "{";
};

}  // namespace kvtool
