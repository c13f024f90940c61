#include "kvcom3/VbTypes.h"
#include "procedures/COAHCalculation.h"
#include "procedures/COCells.h"
#include "procedures/COProcedures.h"

namespace kvcal3 {

void COAHZeroSpanCal(kvCalProcedure& procedure) {
    auto inputs = procedure.InputVariables();
    const auto value = [&](const char* key) { return inputs->Item(key)->Value.toDouble(); };
    const COAHRecording recorded{
        value("cvCOAHZeroSpanCalSpanGas"),   value("cvCOAHZeroSpanCalOLDspangas"),
        value("cvCOAHZeroSpanCalAHspangas"), value("cvCOAHZeroSpanCalOLDdry"),
        value("cvCOAHZeroSpanCalAHdry"),     value("cvCOAHZeroSpanCalOldnorm"),
        value("cvCOAHZeroSpanCalAHnorm"),    value("cvCOAHZeroSpanCalOldwet"),
        value("cvCOAHZeroSpanCalAHwet"),     value("cvCOAHZeroSpanCalOldzero"),
        value("cvCOAHZeroSpanCalAHzero")};
    // Everything is checked before the first write, so a failed calibration leaves the sensor
    // as it was.
    const COAHCalibration result = computeCOAHCalibration(recorded);
    writeThrough(kCODividerCell, kvcom3::toLong(result.divider));
    writeThrough(kCOAHFactorCell, kvcom3::toLong(result.ahFactor));
    for (int i = 0; i < kCOTablePoints; ++i)
        writeThrough(coTableCell(i), kvcom3::toLong(result.table[static_cast<std::size_t>(i)]));
}

}  // namespace kvcal3
