#include "kvcom3/VbTypes.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

#include "kvcom3/KvError.h"

namespace kvcom3 {

double roundHalfEven(double value) noexcept {
    if (!std::isfinite(value)) return value;
    // value - trunc(value) is exact, so a tie is recognised exactly; a tie's even neighbour is
    // twice the rounded half (value / 2 is exact too).
    if (std::fabs(value - std::trunc(value)) != 0.5) return std::round(value);
    return 2.0 * std::round(value / 2.0);
}

namespace {

double roundedWithin(double value, double lowest, double highest) {
    const double rounded = roundHalfEven(value);
    if (!(rounded >= lowest && rounded <= highest)) raisePlatformError(platform_error::Overflow);
    return rounded;
}

}  // namespace

VbInteger toInteger(double value) {
    return static_cast<VbInteger>(roundedWithin(value, -32768.0, 32767.0));
}

VbLong toLong(double value) {
    return static_cast<VbLong>(roundedWithin(value, -2147483648.0, 2147483647.0));
}

VbByte toByte(double value) {
    return static_cast<VbByte>(roundedWithin(value, 0.0, 255.0));
}

VbSingle toSingle(double value) {
    // From the midpoint between the largest single and 2^128 on, the value rounds to infinity.
    static const double kLimit = std::ldexp(1.0, 128) - std::ldexp(1.0, 103);
    if (!(std::fabs(value) < kLimit)) raisePlatformError(platform_error::Overflow);
    return static_cast<VbSingle>(value);
}

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int digitValue(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// Reads one number from the text. Val skips blanks even inside the number; the strict reading
// does not, and afterwards checks that nothing but blanks follows.
class NumberScanner {
  public:
    NumberScanner(std::string_view text, bool blanksInside) : text_(text), inside_(blanksInside) {}

    // The value and whether any digit was read; pos() is then just after the number.
    std::optional<double> scan() {
        skipBlanks();
        if (peek() == '&') return scanRadix();
        return scanDecimal();
    }

    bool onlyBlanksLeft() {
        while (isBlank(peek())) ++pos_;
        return pos_ >= text_.size();
    }

  private:
    char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }

    void skipBlanks() {
        while (isBlank(peek())) ++pos_;
    }

    void skipInnerBlanks() {
        if (inside_) skipBlanks();
    }

    std::optional<double> scanRadix() {
        ++pos_;
        skipInnerBlanks();
        int base = 8;
        if (peek() == 'H' || peek() == 'h') {
            base = 16;
            ++pos_;
        } else if (peek() == 'O' || peek() == 'o') {
            ++pos_;
        }
        std::uint64_t value = 0;
        bool any = false;
        for (;; ++pos_) {
            skipInnerBlanks();
            const int digit = digitValue(peek());
            if (digit >= base) break;
            value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
            if (value > 0xFFFFFFFFu) raisePlatformError(platform_error::Overflow);
            any = true;
        }
        if (!any) return std::nullopt;
        bool longSuffix = false;
        if (peek() == '&') {
            longSuffix = true;
            ++pos_;
        }
        // Up to four hex digits the literal is a 16-bit Integer, beyond that a 32-bit Long;
        // either way the top bit is the sign.
        if (!longSuffix && value <= 0xFFFFu)
            return static_cast<double>(static_cast<std::int16_t>(value));
        return static_cast<double>(static_cast<std::int32_t>(value));
    }

    std::optional<double> scanDecimal() {
        std::string number;
        if (peek() == '+' || peek() == '-') {
            if (peek() == '-') number += '-';
            ++pos_;
        }
        int digits = 0;
        int leadingDigits = 0;  // significant digits before the '.'
        int fractionZeros = 0;  // zeros after the '.' before the first significant digit
        bool dot = false;
        bool significant = false;
        for (;; ++pos_) {
            skipInnerBlanks();
            const char c = peek();
            if (isDigit(c)) {
                ++digits;
                if (c != '0') significant = true;
                if (!dot && significant) ++leadingDigits;
                if (dot && !significant) ++fractionZeros;
                number += c;
            } else if (c == '.' && !dot) {
                dot = true;
                number += c;
            } else {
                break;
            }
        }
        if (digits == 0) return std::nullopt;
        const long exponent = scanExponent(number);

        double value = 0.0;
        const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(),
                                                  value, std::chars_format::general);
        if (error == std::errc::result_out_of_range) {
            // The position of the first significant digit tells overflow from underflow.
            const long magnitude =
                exponent + (leadingDigits > 0 ? leadingDigits - 1 : -(fractionZeros + 1));
            if (magnitude > 0) raisePlatformError(platform_error::Overflow);
            return 0.0;
        }
        if (error != std::errc{} || end != number.data() + number.size()) return 0.0;
        return value;
    }

    // Consumes an exponent only when at least one digit follows the letter and its sign; appends
    // it to the number text and returns its value (clamped, enough to judge the magnitude).
    long scanExponent(std::string& number) {
        const std::size_t start = pos_;
        skipInnerBlanks();
        const char letter = peek();
        if (letter != 'E' && letter != 'e' && letter != 'D' && letter != 'd') {
            pos_ = start;
            return 0;
        }
        ++pos_;
        skipInnerBlanks();
        bool negative = false;
        if (peek() == '+' || peek() == '-') {
            negative = peek() == '-';
            ++pos_;
        }
        std::string digits;
        long value = 0;
        for (;; ++pos_) {
            skipInnerBlanks();
            if (!isDigit(peek())) break;
            digits += peek();
            if (value < 100000) value = value * 10 + (peek() - '0');
        }
        if (digits.empty()) {
            pos_ = start;
            return 0;
        }
        number += negative ? "e-" : "e";
        number += digits;
        return negative ? -value : value;
    }

    std::string_view text_;
    bool inside_;
    std::size_t pos_ = 0;
};

}  // namespace

double val(std::string_view text) {
    NumberScanner scanner(text, true);
    return scanner.scan().value_or(0.0);
}

std::optional<double> parseNumber(std::string_view text) {
    NumberScanner scanner(text, false);
    const std::optional<double> value = scanner.scan();
    if (!value || !scanner.onlyBlanksLeft()) return std::nullopt;
    return value;
}

namespace {

// Writes a finite value with the given number of significant digits in the classic layout.
template <class Real>
std::string numberToText(Real value, int significantDigits) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Inf" : "Inf";
    if (value == 0) return "0";

    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::scientific, significantDigits - 1);
    const std::string_view scientific(buffer.data(),
                                      static_cast<std::size_t>(result.ptr - buffer.data()));

    // scientific is "[-]d.ddddde[+-]xx": collect the digits and the decimal exponent.
    const bool negative = scientific.front() == '-';
    const std::size_t ePos = scientific.find('e');
    std::string digits;
    for (char c : scientific.substr(0, ePos))
        if (isDigit(c)) digits += c;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    int exponent = 0;
    const std::string_view expText = scientific.substr(ePos + 1);
    std::from_chars(expText.data() + (expText.front() == '+' ? 1 : 0),
                    expText.data() + expText.size(), exponent);

    std::string text = negative ? "-" : "";
    const int count = static_cast<int>(digits.size());
    if (exponent < -4 || exponent >= significantDigits) {
        text += digits.front();
        if (count > 1) text += '.' + digits.substr(1);
        text += exponent < 0 ? "E-" : "E+";
        const int magnitude = std::abs(exponent);
        if (magnitude < 10) text += '0';
        text += std::to_string(magnitude);
    } else if (exponent < 0) {
        text += "0.";
        text.append(static_cast<std::size_t>(-exponent - 1), '0');
        text += digits;
    } else if (count > exponent + 1) {
        const auto split = static_cast<std::size_t>(exponent + 1);
        text += digits.substr(0, split) + '.' + digits.substr(split);
    } else {
        text += digits;
        text.append(static_cast<std::size_t>(exponent + 1 - count), '0');
    }
    return text;
}

}  // namespace

std::string singleToText(float value) {
    return numberToText(value, 7);
}

std::string doubleToText(double value) {
    return numberToText(value, 15);
}

}  // namespace kvcom3
