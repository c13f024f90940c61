// The object tree of platform-5 sensors: RAM cells only, the same whether on line or not.
#include "objects/TreeRows.h"

namespace kvcom3::objects {

void buildPlatform5Tree(kvObjectNodes& top, const TreeFacts& facts) {
    const std::vector<Row> tree{
        folder("System",
               {
                   node("NrOfSamples", "raNrOfSamples"),
                   node("Part", "raPart"),
                   node("SerialNr", "raSerialNr"),
                   node("LampOnTime", "raLampOnTime", "foLampOnTime").in("ms").fmt("*4"),
                   node("LampOffTime", "raLampOffTime", "foLampOffTime").in("ms").fmt("*4"),
               }),
        folder(
            "Analog Inputs",
            {
                folder("SpaceTemp",
                       {
                           node("Old_Temp", "raOld_0"),
                           node("SpaceTemp value", "raAct_0", "foTempValue").fmt("-5000"),
                           node("Frac_Temp", "raFrac_0"),
                           node("Zero_Temp", "raZero_0"),
                           node("Span_Temp", "raSpan_0"),
                           node("AmpHigh_Temp", "raAmpHigh_0"),
                           node("AmpLow_Temp", "raAmpLow_0"),
                       },
                       "foTempValue"),
                folder(
                    "SpaceCO2",
                    {
                        node("Old_CO2", "raOld_1", "foCO2Old"),
                        node("SpaceCO2 value", "raAct_1", "foCO2Value").fmt("-5000"),
                        node("Frac_CO2", "raFrac_1", "foCO2CurrFracParam"),
                        node("Zero_CO2", "raZero_1", "foCO2Zero"),
                        node("Span_CO2", "raSpan_1", "foCO2Span"),
                        node("AmpHigh_CO2", "raAmpHigh_1", "foCO2High"),
                        node("AmpLow_CO2", "raAmpLow_1", "foCO2Low"),
                        node("Tz_CO2", "raTz_1", "foCO2Tz").fmt("-127"),
                        node("Ts_CO2", "raTs", "foCO2Ts").fmt("-127"),
                        node("DetectorTemp", "raDetectorTemp", "foCO2DetTemp").fmt("-127"),
                        folder("ABC",
                               {
                                   node("ABC_PERIOD_CO2", "raABC_PERIOD_1").in("Min").fmt("*255"),
                                   node("ABC_TIME1_CO2", "raABC_TIME1_1").in("Min").fmt("*255"),
                                   node("ABC_Sample_CO2", "raABC_Sample_1"),
                                   node("ABC_Target_CO2", "raABC_Target_1"),
                                   node("ABC_Frac_CO2", "raABC_Frac_1"),
                               }),
                    }),
                folder("Outputs", {}),
            }),
    };
    addRows(top, tree, facts);
}

}  // namespace kvcom3::objects
