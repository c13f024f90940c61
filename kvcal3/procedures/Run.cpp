#include <string_view>

#include "kvcal3/kvCalProcedure.h"
#include "procedures/COProcedures.h"

namespace kvcal3 {

kvcom3::Variant kvCalProcedure::Run() {
    struct Algorithm {
        std::string_view key;
        void (*run)(kvCalProcedure&);
    };
    // Keys are compared exactly, letter case included; a key that is not listed runs nothing.
    static constexpr Algorithm kAlgorithms[] = {
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
    for (const Algorithm& algorithm : kAlgorithms) {
        if (algorithm.key == Key) {
            algorithm.run(*this);
            break;
        }
    }
    return {};
}

}  // namespace kvcal3
