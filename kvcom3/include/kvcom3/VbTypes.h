#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The value semantics callers of the libraries rely on: 16-bit Booleans, 16-bit Integer, 32-bit
// Long, rounding halves to even, overflow as an error, and numbers written and read as text the
// way the classic runtime does it.
namespace kvcom3 {

// Boolean (True -1, False 0), Integer, Long, Single and Byte of the public interfaces.
using VbBool = std::int16_t;
inline constexpr VbBool VbTrue = -1;
inline constexpr VbBool VbFalse = 0;

using VbInteger = std::int16_t;
using VbLong = std::int32_t;
using VbSingle = float;
using VbByte = std::uint8_t;

// True as -1, false as 0.
constexpr VbBool toVbBool(bool value) noexcept {
    return value ? VbTrue : VbFalse;
}

// Any non-zero value counts as True, as in a classic condition.
constexpr bool isTrue(VbBool value) noexcept {
    return value != VbFalse;
}

// A raw sensor word made signed: bit 15 set means minus 65536.
constexpr std::int32_t signed16(std::uint16_t raw) noexcept {
    return raw >= 0x8000u ? static_cast<std::int32_t>(raw) - 0x10000 : raw;
}

// Rounds to the nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
// NaN and infinities come back unchanged.
double roundHalfEven(double value) noexcept;

// CInt, CLng, CByte: round halves to even, then raise Overflow (6) when the result does not fit,
// also for NaN and infinities.
VbInteger toInteger(double value);
VbLong toLong(double value);
VbByte toByte(double value);

// CSng: Overflow (6) beyond the single range; NaN also raises.
VbSingle toSingle(double value);

// Val: reads the number at the start of the text and ignores the rest. Blanks, tabs and line
// feeds are skipped anywhere ("1 2" is 12); an optional sign, digits with at most one '.', and an
// exponent E/e/D/d with optional sign. "&H" hex and "&O" (or bare "&") octal give a 16-bit value
// when they fit in four hex digits ("&HFFFF" is -1), a 32-bit one otherwise or with a trailing
// '&'. Text without a number gives 0; a magnitude beyond the double range raises Overflow (6).
double val(std::string_view text);

// The strict reading of a text as a number (CDbl of a string): blanks around the number are
// allowed, anything else that is not part of it makes the text non-numeric (no value).
// Overflow (6) as for val.
std::optional<double> parseNumber(std::string_view text);

// Number to text (no errors) as CStr writes a Single (7 significant digits) or a Double (15): no
// trailing zeros or '.', "0." before a fraction, "0" for zero, and the exponent form "1.5E-20" when
// the decimal exponent is below -4 or at least the number of significant digits.
std::string singleToText(float value);
std::string doubleToText(double value);

}  // namespace kvcom3
