#include "model/LayoutLegacy.h"

#include <map>

namespace kvsim::layout5 {
namespace {

Cell ram(std::uint32_t address, int bytes) {
    return Cell{Space::RAM, static_cast<std::int32_t>(address), bytes, true};
}

struct Indexed {
    std::uint32_t start;
    int bytes;
};

}  // namespace

std::optional<Cell> parameterCell(const std::string& name) {
    static const std::map<std::string, Cell> plain = {
        {"Ts", ram(kTs, 1)},
        {"LampOnTime", ram(kLampOnTime, 1)},
        {"LampOffTime", ram(kLampOffTime, 2)},
        {"NrOfSamples", ram(kNrOfSamples, 1)},
    };
    static const std::map<std::string, Indexed> indexed = {
        {"Zero_", {kZero, 2}},     {"Span_", {kSpan, 2}}, {"AmpHigh_", {kAmpHigh, 2}},
        {"AmpLow_", {kAmpLow, 2}}, {"Tz_", {kTz, 1}},     {"Frac_", {kFrac, 1}},
    };
    if (const auto p = plain.find(name); p != plain.end()) return p->second;
    std::string base;
    int index = 0;
    if (!splitIndexedName(name, base, index) || index > 3) return std::nullopt;
    const auto found = indexed.find(base);
    if (found == indexed.end()) return std::nullopt;
    const auto step = static_cast<std::uint32_t>(found->second.bytes * index);
    return ram(found->second.start + step, found->second.bytes);
}

}  // namespace kvsim::layout5
