#include <string_view>

#include "kvcal3/kvCalProcedure.h"
#include "procedures/COProcedures.h"

namespace kvcal3 {

kvCalProcedure::Algorithm kvCalProcedure::AlgorithmFor(std::string_view key) {
    struct Entry {
        std::string_view key;
        Algorithm run;
    };
    // Keys are compared exactly, letter case included; a key that is not listed runs nothing.
    static constexpr Entry kAlgorithms[] = {
        {"cpCO2ZeroCal", [](kvCalProcedure& p) { p.CO2ZeroCal(); }},
        {"cpCO2SpanCal", [](kvCalProcedure& p) { p.CO2SpanCal(); }},
        {"cpRHcal", [](kvCalProcedure& p) { p.SpaceRH_Cal(); }},
        {"cpSpaceTempOffsetAdjust", [](kvCalProcedure& p) { p.SpaceTempOffsetAdjust(); }},
        {"cpCO2BackGround", [](kvCalProcedure& p) { p.CO2BackgroundCal(); }},
        {"cpCO2OffsetCal", [](kvCalProcedure& p) { p.CO2OffsetCal(); }},
        {"cpCOHeaterStart", COHeaterStart},
        {"cpCOHeaterCal", COHeaterCal},
        {"cpCOAHZeroSpanCal", COAHZeroSpanCal},
        {"cpCOZeroCal", COZeroCal},
        {"cpCOZeroCalFigaro", COZeroCalFigaro},
    };
    for (const Entry& entry : kAlgorithms)
        if (entry.key == key) return entry.run;
    return nullptr;
}

bool kvCalProcedure::HasAlgorithm(std::string_view key) {
    return AlgorithmFor(key) != nullptr;
}

kvcom3::Variant kvCalProcedure::Run() {
    if (const Algorithm run = AlgorithmFor(Key)) run(*this);
    return {};
}

}  // namespace kvcal3
