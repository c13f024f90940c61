#include "objects/FormatWords.h"

#include <cmath>
#include <limits>

#include "facade/clsErrors.h"
#include "kvcom3/KvError.h"
#include "kvcom3/VbTypes.h"
#include "objects/CaseScaling.h"
#include "objects/GasTables.h"
#include "objects/TwaTime.h"

namespace kvcom3::objects {

namespace {

enum class Word {
    Sint,
    Sbte,
    CaseChannel,
    CaseReg,
    Target,
    Sample,
    Times,
    Divide,
    Plus,
    Minus,
    Round,
    Twat,
    Unknown
};

struct WordName {
    const char* text;
    Word word;
};

constexpr WordName kWords[] = {
    {"sint", Word::Sint},       {"sbte", Word::Sbte},     {"casechannel", Word::CaseChannel},
    {"casereg", Word::CaseReg}, {"target", Word::Target}, {"sample", Word::Sample},
    {"*", Word::Times},         {"/", Word::Divide},      {"+", Word::Plus},
    {"-", Word::Minus},         {"round", Word::Round},   {"twat", Word::Twat},
};

Word classify(const std::string& word) {
    for (const WordName& name : kWords) {
        if (sameWord(word, name.text)) return name.word;
    }
    return Word::Unknown;
}

// Arithmetic keeps a Double a Double and makes anything else a Single, the type of a reading.
Variant sameWidth(const Variant& like, double result) {
    if (like.kind() == VariantKind::Double) return Variant(result);
    return Variant(toSingle(result));
}

double divided(double value, double divisor) {
    if (divisor == 0) raisePlatformError(platform_error::DivisionByZero);
    return value / divisor;
}

// A raw word made signed: bit 15 set means minus 65536; the result must be a 16-bit Integer.
VbInteger signedWord(double value) {
    std::int32_t raw = toLong(value);
    if (raw >= 0 && (raw & 0x8000) != 0) raw -= 65536;
    return toInteger(raw);
}

Variant signedByte(double value) {
    float v = toSingle(value);
    if ((toLong(value) & 0x80) != 0) v -= 256.0f;
    return Variant(v);
}

// Round to `decimals` places, halves to even; beyond a double's precision nothing changes.
Variant roundedTo(const Variant& value, std::int16_t decimals) {
    if (value.isEmpty() || decimals > std::numeric_limits<double>::digits10) return value;
    const double scale = std::pow(10.0, decimals);
    const double rounded = roundHalfEven(value.toDouble() * scale) / scale;
    switch (value.kind()) {
        case VariantKind::Integer: return Variant(toInteger(rounded));
        case VariantKind::Long: return Variant(toLong(rounded));
        case VariantKind::Double: return Variant(rounded);
        default: return Variant(toSingle(rounded));
    }
}

CaseKind caseKindOf(Word word) {
    return word == Word::CaseReg ? CaseKind::Reg : CaseKind::Channel;
}

}  // namespace

Variant twaTimeOf(const Variant& code) {
    const auto seconds = twaSeconds(code.toLong());
    if (!seconds) return {};
    if (*seconds <= std::numeric_limits<VbInteger>::max()) {
        return Variant(static_cast<VbInteger>(*seconds));
    }
    return Variant(static_cast<VbLong>(*seconds));
}

Variant twaCodeOf(const Variant& seconds) {
    const auto code = twaCode(seconds.toDouble());
    if (!code) return {};
    return Variant(*code);
}

Variant bitField(std::int32_t value, std::int32_t mask) {
    if (mask < 1) return Variant(static_cast<float>(value));
    std::int32_t lowest = 1;
    while ((mask & lowest) == 0) lowest <<= 1;
    return Variant(static_cast<double>(value & mask) / lowest);
}

Variant formatToUser(const FormatTokens& tokens, Variant value, const FormatContext& context) {
    std::size_t slot = 0;
    while (slot < kAppliedSlots) {
        const FormatToken& token = tokens[slot];
        std::size_t next = slot + 1;
        if (!token.empty()) {
            const double v = value.toDouble();
            const Word word = classify(token.word);
            switch (word) {
                case Word::Sint: value = Variant(signedWord(v)); break;
                case Word::Sbte: value = signedByte(v); break;
                case Word::CaseChannel:
                case Word::CaseReg:
                    value = Variant(caseToUser(toSingle(v), token.param, caseKindOf(word),
                                               context.fahrenheit, context.cells));
                    break;
                case Word::Target:
                    if (slot != 0) clsErrors().Raise(errUnknownFormat);
                    value = Variant(
                        targetUnit(toLong(v), token.param, tokens[1].cellKey(), context.cells));
                    next = 2;
                    break;
                case Word::Sample:
                    if (slot != 0) clsErrors().Raise(errUnknownFormat);
                    value = Variant(sampleUnit(toLong(v), token.param, tokens[1].cellKey(),
                                               tokens[2].cellKey(), context.cells));
                    next = 3;
                    break;
                case Word::Times: value = sameWidth(value, v * token.param); break;
                case Word::Divide: value = Variant(divided(v, token.param)); break;
                case Word::Plus: value = sameWidth(value, v + token.param); break;
                case Word::Minus: value = sameWidth(value, v - token.param); break;
                case Word::Round: value = roundedTo(value, token.param); break;
                case Word::Twat: value = twaTimeOf(value); break;
                case Word::Unknown: clsErrors().Raise(errUnknownFormat);
            }
        }
        slot = next;
    }
    return value;
}

Variant formatFromUser(const FormatTokens& tokens, Variant value, const FormatContext& context) {
    for (std::size_t slot = kAppliedSlots; slot-- > 0;) {
        const FormatToken& token = tokens[slot];
        if (token.empty()) continue;
        const Word word = classify(token.word);
        if (word == Word::Round || word == Word::Unknown) continue;
        if ((word == Word::Target || word == Word::Sample) && slot != 0) continue;
        const double v = value.toDouble();
        switch (word) {
            case Word::Sint: {
                std::int32_t raw = toInteger(std::floor(v));
                if (raw < 0) raw += 65536;
                value = Variant(static_cast<VbLong>(raw));
                break;
            }
            case Word::Sbte: {
                std::int32_t raw = toLong(std::floor(v));
                // A signed byte holds -128 ... 127; anything else would read back as another
                // number.
                if (raw < -128 || raw > 127) {
                    raisePlatformError(platform_error::Overflow,
                                       doubleToText(v) + " is no signed byte");
                }
                if (raw < 0) raw += 256;
                value = Variant(static_cast<VbLong>(raw));
                break;
            }
            case Word::CaseChannel:
            case Word::CaseReg: {
                float scaled = toSingle(v);
                value = Variant(caseFromUser(scaled, token.param, caseKindOf(word),
                                             context.fahrenheit, context.cells));
                break;
            }
            case Word::Target:
                value = Variant(static_cast<VbLong>(
                    targetCount(toSingle(v), token.param, tokens[1].cellKey(), context.cells)));
                break;
            case Word::Sample:
                value = Variant(
                    static_cast<VbLong>(sampleCount(toSingle(v), token.param, tokens[1].cellKey(),
                                                    tokens[2].cellKey(), context.cells)));
                break;
            case Word::Times: value = Variant(divided(v, token.param)); break;
            case Word::Divide: value = sameWidth(value, v * token.param); break;
            case Word::Plus: value = sameWidth(value, v - token.param); break;
            case Word::Minus: value = sameWidth(value, v + token.param); break;
            case Word::Twat:
                value = twaCodeOf(value);
                if (value.isEmpty()) {
                    raisePlatformError(platform_error::InvalidPropertyValue,
                                       "no time code for " + doubleToText(v) + " seconds");
                }
                break;
            case Word::Round:
            case Word::Unknown: break;
        }
    }
    return value;
}

}  // namespace kvcom3::objects
