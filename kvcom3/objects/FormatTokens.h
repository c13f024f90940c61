#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kvcom3::objects {

// One token of a format: a word and the decimal parameter that trailed it ("casechannel5" is
// "casechannel" and 5; a token without trailing digits has parameter 0).
struct FormatToken {
    std::string word;
    std::int16_t param = 0;

    bool empty() const noexcept { return word.empty(); }
    // The word followed by the parameter's decimal text: how a token names a cell
    // ("eawPar_" and 9 give "eawPar_9").
    std::string cellKey() const;
};

// Five tokens are applied; a sixth is parsed and kept but never applied.
inline constexpr std::size_t kFormatSlots = 6;
inline constexpr std::size_t kAppliedSlots = 5;
using FormatTokens = std::array<FormatToken, kFormatSlots>;

// Splits a format at single blanks into token slots. Two blanks in a row leave an empty token;
// a seventh token raises Subscript out of range (9), a parameter beyond 16 bits Overflow (6).
FormatTokens parseFormat(std::string_view format);

// Format words compare without regard to case.
bool sameWord(std::string_view a, std::string_view b) noexcept;

}  // namespace kvcom3::objects
