#include "objects/GasTables.h"

#include <algorithm>

#include "kvcom3/KvError.h"
#include "kvcom3/VbTypes.h"

namespace kvcom3::objects {

namespace {

constexpr std::int32_t kPointCount = 4096;
constexpr std::int32_t kSegments = 16;
constexpr std::int32_t kZeroCount = 61440;
constexpr double kFactorUnit = 2048.0;

std::int32_t point(std::int16_t table, std::int32_t i, const CellReader& cells) {
    const std::string key = "eaTable" + std::to_string(table) + "_" + std::to_string(i);
    return signed16(static_cast<std::uint16_t>(cells(key)));
}

// A factor cell counts only when it holds neither 0 nor 65535 (unset EEPROM).
bool isSet(std::int32_t factor) noexcept {
    return factor != 0 && factor != 65535;
}

// A product or difference the sensor firmware forms in 32 bits; beyond them it is an overflow.
std::int32_t product32(std::int32_t a, std::int32_t b) {
    return toLong(static_cast<double>(a) * static_cast<double>(b));
}
std::int32_t difference32(std::int32_t a, std::int32_t b) {
    return toLong(static_cast<double>(a) - static_cast<double>(b));
}

// The target and sample cells hold a count of 0 ... 65535; a correction that leads outside is an
// overflow, not a count to wrap or cut.
std::int32_t cellCount(std::int32_t count, const char* what) {
    if (count < 0 || count > 65535) {
        raisePlatformError(platform_error::Overflow, std::string("the ") + what + " count " +
                                                         std::to_string(count) +
                                                         " is outside 0 ... 65535");
    }
    return count;
}

}  // namespace

float tableUnit(std::int32_t count, std::int16_t table, const CellReader& cells) {
    for (std::int32_t i = 0; i < kSegments; ++i) {
        const std::int32_t low = point(table, i, cells);
        const std::int32_t high = point(table, i + 1, cells);
        if (count <= kPointCount * (i + 1)) {
            const double unit =
                low + static_cast<double>(count - kPointCount * i) / kPointCount * (high - low);
            std::int32_t rounded = toInteger(unit);
            if (rounded < 0) rounded += 65536;
            return static_cast<float>(rounded);
        }
    }
    return 0.0f;
}

std::int32_t tableCount(float& unit, std::int16_t table, const CellReader& cells) {
    std::int32_t wanted = toLong(unit);
    if (wanted >= 0 && (wanted & 0x8000) != 0) wanted -= 65536;
    unit = static_cast<float>(wanted);
    std::int32_t count = 65535;
    for (std::int32_t i = 0; i < kSegments; ++i) {
        const std::int32_t low = point(table, i, cells);
        const std::int32_t high = point(table, i + 1, cells);
        if (low == high) {
            raisePlatformError(platform_error::DivisionByZero,
                               "equal points " + std::to_string(i) + " and " +
                                   std::to_string(i + 1) + " of table " + std::to_string(table));
        }
        const bool falling = low > high && wanted <= low && wanted >= high;
        const bool rising = low < high && wanted >= low && wanted <= high;
        if (falling || rising) {
            count = toLong(static_cast<double>(wanted - low) / (high - low) * kPointCount +
                           kPointCount * i);
            break;
        }
    }
    return std::clamp(count, 0, 65536);
}

float targetUnit(std::int32_t count, std::int16_t table, const std::string& spanKey,
                 const CellReader& cells) {
    const std::int32_t span = cells(spanKey);
    if (isSet(span)) {
        count = toLong(kZeroCount - product32(difference32(kZeroCount, count), span) / kFactorUnit);
    }
    return tableUnit(std::clamp(count, 0, 65535), table, cells);
}

std::int32_t targetCount(float unit, std::int16_t table, const std::string& spanKey,
                         const CellReader& cells) {
    const std::int32_t count = tableCount(unit, table, cells);
    const std::int32_t span = cells(spanKey);
    std::int32_t result = count;
    if (isSet(span)) {
        result = toLong(kZeroCount - static_cast<double>(kZeroCount - count) * kFactorUnit / span);
    }
    return cellCount(result, "target");
}

float sampleUnit(std::int32_t count, std::int16_t table, const std::string& spanKey,
                 const std::string& zeroKey, const CellReader& cells) {
    const std::int32_t span = cells(spanKey);
    const std::int32_t zero = cells(zeroKey);
    if (isSet(zero) && isSet(span)) {
        const double zeroed = product32(zero, count) / kFactorUnit;
        count = toLong(kZeroCount - (kZeroCount - zeroed) * span / kFactorUnit);
    }
    return tableUnit(std::max(count, 0), table, cells);
}

std::int32_t sampleCount(float unit, std::int16_t table, const std::string& spanKey,
                         const std::string& zeroKey, const CellReader& cells) {
    const std::int32_t count = tableCount(unit, table, cells);
    const std::int32_t span = cells(spanKey);
    const std::int32_t zero = cells(zeroKey);
    std::int32_t result = count;
    if (isSet(zero) && isSet(span)) {
        const std::int32_t spanned =
            toLong(kZeroCount - static_cast<double>(kZeroCount - count) * kFactorUnit / span);
        result = toLong(product32(spanned, 2048) / static_cast<double>(zero));
    }
    return cellCount(result, "sample");
}

}  // namespace kvcom3::objects
