#pragma once

#include "kvcal3/kvCalProcedure.h"

namespace kvcal3 {

// The procedures of the CO channel. Each reads its inputs from the procedure's InputVariables,
// writes through to the sensor at once and raises any failure unchanged.

// Sets the heater drive that belongs to the heater's operating resistance.
void COHeaterStart(kvCalProcedure& procedure);
// Closed loop that moves the heater drive until the element's signal in wet air lies in the
// window around the count of the given wet-air resistance; logs every reading to a file.
void COHeaterCal(kvCalProcedure& procedure);
// Divider, humidity compensation factor and CO table from the element's counts recorded in
// span gas, dry, normal, wet air and zero gas. Nothing is written unless every check passes.
void COAHZeroSpanCal(kvCalProcedure& procedure);
// Divider from the live signal in zero gas and the expected zero for the present humidity.
void COZeroCal(kvCalProcedure& procedure);
// The live signal of a Figaro-type cell in zero gas becomes its zero reference.
void COZeroCalFigaro(kvCalProcedure& procedure);

}  // namespace kvcal3
