#include "kvcom3/Enums.h"
#include "Bindings.h"
#include "kvcal3/UserInteraction.h"
#include "kvcom3/Trace.h"
#include "kvcom3/clsObjectLevel.h"

namespace kvsensor {

// The libraries' enumerations; their values are also module constants (kvsensor.kvEEPROM), and
// members taking a memory type, byte order or option take the enumeration or a plain int.
void bindEnums(py::module_& m) {
    using namespace kvcom3;
    py::enum_<kvMemTypes>(m, "kvMemTypes", py::arithmetic())
        .value("kvRAM", kvRAM)
        .value("kvEEPROM", kvEEPROM)
        .value("kvFLASH", kvFLASH)
        .value("kvMBIR", kvMBIR)
        .value("kvMBHR", kvMBHR)
        .value("kvMBCOIL", kvMBCOIL)
        .value("kvMBDI", kvMBDI)
        .export_values();
    py::enum_<enmMemTypes>(m, "enmMemTypes", py::arithmetic())
        .value("enmRAM", enmRAM)
        .value("enmEEPROM", enmEEPROM)
        .value("enmFLASH", enmFLASH)
        .value("enmMBIR", enmMBIR)
        .value("enmMBHR", enmMBHR)
        .value("enmMBCOIL", enmMBCOIL)
        .value("enmMBDI", enmMBDI)
        .export_values();
    py::enum_<kvByteOrders>(m, "kvByteOrders", py::arithmetic())
        .value("kvLSByteAtHighAdress", kvLSByteAtHighAdress)
        .value("kvLSByteAtLowAdress", kvLSByteAtLowAdress)
        .export_values();
    py::enum_<kvReadSensOptions>(m, "kvReadSensOptions", py::arithmetic())
        .value("kvAutoReadFromSensor", kvAutoReadFromSensor)
        .value("kvReadFromSensor", kvReadFromSensor)
        .value("kvAutoReadMaskedAdressesFromSensor", kvAutoReadMaskedAdressesFromSensor)
        .value("kvReadMaskedAdressesFromSensor", kvReadMaskedAdressesFromSensor)
        .export_values();
    py::enum_<kvWriteSensOptions>(m, "kvWriteSensOptions", py::arithmetic())
        .value("kvAutoWriteToSensor", kvAutoWriteToSensor)
        .value("kvWriteToSensor", kvWriteToSensor)
        .value("kvAutoWriteMaskedAdressesToSensor", kvAutoWriteMaskedAdressesToSensor)
        .value("kvWriteMaskedAdressesToSensor", kvWriteMaskedAdressesToSensor)
        .export_values();
    py::enum_<kvClearAdrColOptions>(m, "kvClearAdrColOptions", py::arithmetic())
        .value("kvClearAdrColAll", kvClearAdrColAll)
        .value("kvClearAdrColUnMasked", kvClearAdrColUnMasked)
        .export_values();
    py::enum_<kvProtokoll>(m, "kvProtokoll", py::arithmetic())
        .value("kvKV", kvKV)
        .value("kvMB", kvMB)
        .export_values();
    py::enum_<kvCommonNodes>(m, "kvCommonNodes", py::arithmetic())
        .value("SpaceTemp", SpaceTemp)
        .value("SpaceCO2", SpaceCO2)
        .value("CO2Zero", CO2Zero)
        .value("CO2Span", CO2Span)
        .value("CO2Tz", CO2Tz)
        .value("CO2Ts", CO2Ts)
        .value("CO2Old", CO2Old)
        .value("CO2ABCtarget", CO2ABCtarget)
        .value("CO2FracCurr", CO2FracCurr)
        .value("CO2FracSet", CO2FracSet)
        .value("CO2FracDynSet", CO2FracDynSet)
        .value("CO2High", CO2High)
        .value("CO2Low", CO2Low)
        .value("CO2DetectorTemp", CO2DetectorTemp)
        .value("CO2Table", CO2Table)
        .value("LampOnTime", LampOnTime)
        .value("LampOffTime", LampOffTime)
        .value("SpaceRH", SpaceRH);
    py::enum_<TraceDirection>(m, "TraceDirection")
        .value("Sent", TraceDirection::Sent)
        .value("Received", TraceDirection::Received);
    py::enum_<kvcal3::ReadingChoice>(m, "ReadingChoice")
        .value("Next", kvcal3::ReadingChoice::Next)
        .value("Cancel", kvcal3::ReadingChoice::Cancel);
}

}  // namespace kvsensor
