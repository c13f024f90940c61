#include "kvcom3/VbTypes.h"
#include "procedures/COCells.h"
#include "procedures/COProcedures.h"
#include "procedures/Co2Arithmetic.h"
#include "procedures/SensorAccess.h"

namespace kvcal3 {

namespace {

constexpr std::int16_t kCOTable = 4;

}  // namespace

void COZeroCal(kvCalProcedure& procedure) {
    // The sensor subtracts factor x humidity / 16384 as the zero it expects; in zero gas the
    // divider must bring the live signal to the count of that concentration.
    const double a = cellValue("raRegData_4", true);
    const double b = cellValue("eaRegPar1_5", true);
    float expectedZero = static_cast<float>(b * a / 16384);
    const double c = procedure.GetCount(expectedZero, kCOTable);
    const double d = liveCOSignal();
    writeThrough(kCODividerCell, kvcom3::toLong(divide(c * 2048, d, "CO signal")));
}

}  // namespace kvcal3
