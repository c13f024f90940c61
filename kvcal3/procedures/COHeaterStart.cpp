#include "kvcom3/VbTypes.h"
#include "procedures/COCells.h"
#include "procedures/COHeaterInputs.h"
#include "procedures/COProcedures.h"

namespace kvcal3 {

void COHeaterStart(kvCalProcedure& procedure) {
    auto heater = procedure.InputVariables()->Item("cvHeaterStartOHR");
    // The wet-air resistance belongs to the heater calibration; here it is only put back on
    // failure, like the heater resistance.
    auto wetAir = procedure.InputVariables()->Item("cvHeaterStartRIWA");
    resetInputsOnFailure({heater, wetAir}, [&] {
        const double H = checkedHeaterValue(heater->Value.toDouble());
        writeThrough(kCOHeaterCell, kvcom3::toLong(H));
    });
}

}  // namespace kvcal3
