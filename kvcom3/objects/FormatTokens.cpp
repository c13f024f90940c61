#include "objects/FormatTokens.h"

#include "kvcom3/KvError.h"
#include "kvcom3/VbTypes.h"

namespace kvcom3::objects {

namespace {

bool isDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

char lower(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Trailing digits form the parameter; everything before the last non-digit is the word, digits
// included ("eawPar_9" is "eawPar_" and 9).
FormatToken splitToken(std::string_view text) {
    std::size_t digitsFrom = text.size();
    while (digitsFrom > 0 && isDigit(text[digitsFrom - 1])) --digitsFrom;
    FormatToken token;
    token.word = std::string(text.substr(0, digitsFrom));
    const std::string_view digits = text.substr(digitsFrom);
    token.param = digits.empty() ? 0 : toInteger(val(digits));
    return token;
}

}  // namespace

std::string FormatToken::cellKey() const {
    return word + std::to_string(param);
}

bool sameWord(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

FormatTokens parseFormat(std::string_view format) {
    FormatTokens tokens{};
    if (format.empty()) return tokens;
    std::size_t slot = 0;
    std::size_t start = 0;
    while (true) {
        if (slot >= kFormatSlots) {
            raisePlatformError(platform_error::SubscriptOutOfRange, "too many format tokens");
        }
        const std::size_t blank = format.find(' ', start);
        const std::string_view text = format.substr(start, blank - start);
        if (slot < kAppliedSlots) {
            tokens[slot] = splitToken(text);
        } else {
            tokens[slot].word = std::string(text);
        }
        ++slot;
        if (blank == std::string_view::npos) break;
        start = blank + 1;
    }
    return tokens;
}

}  // namespace kvcom3::objects
