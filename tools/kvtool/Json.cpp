#include "Json.h"

#include <cstdio>
#include <regex>

namespace kvtool {

namespace {

// The number grammar of JSON; the classic number texts (for example "1.5E-05") fit it, but a
// text that does not is passed on as a string rather than as a broken number.
bool isJsonNumber(const std::string& text) {
    static const std::regex number(R"(-?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?)");
    return std::regex_match(text, number);
}

}  // namespace

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::string jsonValue(const kvcom3::Variant& value) {
    using kvcom3::VariantKind;
    switch (value.kind()) {
        case VariantKind::Empty: return "null";
        case VariantKind::Boolean: return value.toBoolean() ? "true" : "false";
        case VariantKind::Integer:
        case VariantKind::Long:
        case VariantKind::Single:
        case VariantKind::Double: {
            std::string text = value.toString();
            return isJsonNumber(text) ? text : jsonString(text);
        }
        case VariantKind::String: return jsonString(value.toString());
        case VariantKind::Object: break;
    }
    return "null";
}

JsonObject& JsonObject::raw(std::string_view key, std::string_view json) {
    if (body_.size() > 1) body_ += ',';
    body_ += jsonString(key);
    body_ += ':';
    body_ += json;
    return *this;
}

JsonObject& JsonObject::text(std::string_view key, std::string_view value) {
    return raw(key, jsonString(value));
}

JsonObject& JsonObject::number(std::string_view key, long long value) {
    return raw(key, std::to_string(value));
}

}  // namespace kvtool
