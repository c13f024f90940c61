#include "objects/CaseScaling.h"

#include <string>

#include "kvcom3/VbTypes.h"

namespace kvcom3::objects {

namespace {

struct Codes {
    std::int32_t divisor;
    std::int32_t decimals;
};

Codes readCodes(std::int16_t ch, CaseKind kind, const CellReader& cells) {
    const std::string base = kind == CaseKind::Channel ? "eaCaseChannel" : "eaCaseReg";
    const std::string index = std::to_string(ch);
    const std::int32_t divisor = cells(base + "Div_" + index);
    const std::int32_t decimals = cells(base + "Dec_" + index);
    return {divisor, decimals};
}

double divisorOf(std::int32_t code) noexcept {
    switch (code) {
        case 1: return 10.0;
        case 2: return 16.375;
        case 3: return 163.02;
        default: return 1.0;
    }
}

double decimalOf(std::int32_t code) noexcept {
    switch (code) {
        case 1: return 1000.0;
        case 2: return 100.0;
        case 3: return 10.0;
        default: return 1.0;
    }
}

}  // namespace

bool isFahrenheit(std::string_view unit) noexcept {
    return unit == kFahrenheitUnit;
}

float caseToUser(float value, std::int16_t ch, CaseKind kind, bool fahrenheit,
                 const CellReader& cells) {
    const Codes codes = readCodes(ch, kind, cells);
    float v = value;
    if (codes.divisor >= 0 && codes.divisor <= 3) {
        v = static_cast<float>(roundHalfEven(v / divisorOf(codes.divisor)));
    }
    v = static_cast<float>(v / decimalOf(codes.decimals));
    if (fahrenheit) v = static_cast<float>(roundHalfEven((v * 1.8 + 32.0) * 100.0) / 100.0);
    return v;
}

float caseFromUser(float& value, std::int16_t ch, CaseKind kind, bool fahrenheit,
                   const CellReader& cells) {
    const Codes codes = readCodes(ch, kind, cells);
    if (fahrenheit) value = static_cast<float>((value - 32.0) / 1.8);
    value = static_cast<float>(value * decimalOf(codes.decimals));
    value = static_cast<float>(value * divisorOf(codes.divisor));
    return static_cast<float>(roundHalfEven(value));
}

}  // namespace kvcom3::objects
