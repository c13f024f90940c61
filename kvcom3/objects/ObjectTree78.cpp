// The object tree platforms 7 and 8 share: system and product facts, the algorithm pointers,
// channels, regulator data, the CO2 measurement, outputs and the logger.
#include "objects/Tree78.h"

namespace kvcom3::objects {

namespace {

Row systemFolder(bool platform8) {
    return folder(
        "System",
        {
            node("SensorID", "eaSensorID_0"),
            node("Lamp on time", "eaLampOn", "foLampOnTime").in("ms").fmt("*4"),
            node("Lamp off time", "eaLampOff", "foLampOffTime").in("ms").fmt("*4"),
            node("Part", "eaPart"),
            node("ErrorMask").named(errorMaskNames()),
            node("SerialNr", "eaSerialNr"),
            folder(
                "ProductID",
                {
                    node("EEPROM size", "eaEEPROM_size").named(eepromSizeNames()),
                    node("Communication option / LON", "eaCommunication_option_/_LON")
                        .named(communicationNames()),
                    node("SpaceTemp sensor", "eaSpaceTemp_sensor").named(spaceTempSensorNames()),
                    node("Probe CO2 batch", "eaProbe_CO2_batch"),
                    node("Probe CO2 range", "eaProbe_CO2_range").named(probeRangeNames()),
                    node("CO2 sensor nr", "eaCO2_sensor_nr").named(co2SensorNames()),
                    node(platform8 ? "Extra probe" : "Extra probe code", "eaExtra_probe")
                        .named(extraProbeNames()),
                    node("Top terminal block", "eaTop_terminal_block").named(topTerminalNames()),
                    node("Bottom jumper block", "eaBottom_jumper_block").named(bottomJumperNames()),
                    node("Display And Push Buttons", "eaDisplay_And_Push_Buttons")
                        .named(displayNames()),
                    node("Box", "eaBox").named(boxNames()),
                }),
            node("Processor version", "eaProcVer"),
        });
}

// An algorithm slot: its number, named by the algorithm list, over its two parameter words.
Row algorithm(const std::string& name, const std::string& cell, const std::string& lowName,
              const std::string& lowCell, const std::string& highName,
              const std::string& highCell) {
    return node(name, cell)
        .named(algorithmNames())
        .with({node(lowName, lowCell), node(highName, highCell)});
}

Row adsPointersFolder() {
    return folder(
        "ADS Pointers",
        {
            algorithm("StartAlg", "eaStartAlgNr", "StartAlgParamLow", "eaStartAlgParamLow",
                      "StartAlgParamHigh", "eaStartAlgParamHigh"),
            folder("HeaderAlg", indexed(0, 5,
                                        [](const std::string& i) {
                                            return algorithm("HeaderAlg_" + i, "eaHeaderAlgNr_" + i,
                                                             "HeaderAlgParamLow_" + i,
                                                             "eaHeaderAlgParamLow_" + i,
                                                             "HeaderAlgParamHigh_" + i,
                                                             "eaHeaderAlgParamHigh_" + i);
                                        })),
            folder("State0Alg", indexed(7, 29,
                                        [](const std::string& i) {
                                            return algorithm("State0AlgNr_" + i,
                                                             "eaState0AlgNr_" + i,
                                                             "State0AlgParamLow_" + i,
                                                             "eaState0AlgParamLow_" + i,
                                                             "State0AlgParamHigh_" + i,
                                                             "eaState0AlgParamHigh_" + i);
                                        })),
            folder("State1Alg", indexed(30, 33,
                                        [](const std::string& i) {
                                            return algorithm("State1Alg_" + i, "eaState1AlgNr_" + i,
                                                             "State1AlgParamLow_" + i,
                                                             "eaState1AlgParamLow_" + i,
                                                             "State1AlgParamHigh_" + i,
                                                             "eaState1AlgParamHigh_" + i);
                                        })),
            folder("State2Alg", indexed(34, 41,
                                        [](const std::string& i) {
                                            return algorithm("State2Alg_" + i, "eaState2AlgNr_" + i,
                                                             "State2AlgParamLowLow_" + i,
                                                             "eaState2AlgParamLow_" + i,
                                                             "State2AlgParamLowHigh_" + i,
                                                             "eaState2AlgParamHigh_" + i);
                                        })),
        });
}

Row channelsFolder() {
    return folder("Channels", indexed(0, 15, [](const std::string& i) {
                      const std::string format = i == "14" ? "casechannel" : "sint casechannel";
                      return node("ChannelValue " + i, "raChan_" + i, "foChannelValue" + i)
                          .chan(std::stoi(i))
                          .fmt(format + i)
                          .live();
                  }));
}

Row regDataFolder() {
    return folder("RegData", indexed(0, 15, [](const std::string& i) {
                      return node("RegDataValue " + i, "raRegData_" + i, "foRegDataValue" + i)
                          .fmt("sint casereg" + i)
                          .live();
                  }));
}

Row co2MeasurementFolder(bool platform8) {
    return folder(
        "M0004_00_SpaceCO2Net 0",
        {
            node("CO2Value", "raChan_5", "foCO2Value").chan(5).fmt("sint casechannel5").live(),
            // The status cell holds the channel's four status bits.
            node("Measurement Status ", "raChanStat_5")
                .live()
                .with({
                    node("In Alarm", "raChanStat_5").mask(1).live(),
                    node("Fault", "raChanStat_5").mask(2).live(),
                    node("Overridden", "raChanStat_5").mask(4).live(),
                    node("Out Of Service", "raChanStat_5").mask(8).live(),
                }),
            node("OutOfService parameter", "eaoosPar_5"),
            node("Value Hold", "raChan_Disable_5").live(),
            node("ZeroTemperature Coefficient(Tz)", "eabPar_8", "foCO2Tz").fmt("sbte"),
            folder(
                "Digital Filtration Current",
                {
                    node("Current fraction parameter", "raFracXcurr", "foCO2CurrFracParam").live(),
                    node("Dynamic fraction change enable", "raFracXDyn").live(),
                    node("Current Flag Field", "raFracXflags").live(),
                })
                .live(),
            folder("Digital Filtration Setting",
                   {
                       node("Configuration fraction parameter", "eaFracXset", "foCO2SetFracParam"),
                       node("Dynamic fraction change enable", "eaFracXdynamic"),
                       node("Configuration Flag Field", "eaFracXflags"),
                   }),
            node("IR Signal Low", "raLow", "foCO2Low").live().onlyIf(!platform8),
            node("IR Signal High", "raHIGH", "foCO2High").live().onlyIf(!platform8),
            node("IR Signal(Old_CO2)", "raChan_14", "foCO2Old").live(),
            node("ZERO_CO2", "eawPar_7", "foCO2Zero"),
            node("SpanTemperature Coefficient(Ts)", "eabPar_9", "foCO2Ts").fmt("sbte"),
            node("SPAN_CO2", "eawPar_9", "foCO2Span"),
            folder("Linearisation Table", indexed(0, 16,
                                                  [](const std::string& i) {
                                                      return node("Value " + i, "eaTable2_" + i,
                                                                  "foCO2Table" + i)
                                                          .chan(5)
                                                          .fmt("sint casechannel5");
                                                  })),
            node("IR input selector", "eaNchan"),
            node("Detector Temperature", "raChan_15", "foCO2DetTemp").fmt("sint").live(),
        });
}

Row abcFolder(bool platform8) {
    const std::string sample = "sample2 eawPar_9 eawPar_7 sint casechannel5";
    return folder(
        "M0013_0_ABC_CO2",
        {
            node("ABC_CO2_Period", "eaABC_Period_0", "foCO2ABCPeriod").in("Min").fmt("*255"),
            folder(
                "ABC_CO2_FracLimit",
                {
                    node("Fraction parameter limit", "eaABC_FracLimit_0", "foCO2ABCFracParamLimit")
                        .fmt(platform8 ? "" : "*2"),
                    node("Correction limit", "eaABC_FracCorrLimit_0", "foCO2ABCFracCorrLimit"),
                },
                "foCO2ABCFrac"),
            node("ABC_CO2_Target", "eaABC_Target_0", "foCO2ABCTarget")
                .chan(5)
                .fmt("target2 eawPar_9 sint casechannel5"),
            node("ABC_CO2_sample_EEPROM", "eaABC_Sample_0", "foCO2ABCSampleEE").chan(5).fmt(sample),
            node("ABC_CO2_Time", "eaABC_Time_0", "foCO2ABCTime").in("Min").fmt("*255"),
            node("ABC_CO2_sample_RAM", "raABC_Sample_0", "foCO2ABCSampleRAM")
                .chan(5)
                .fmt(sample)
                .live(),
        },
        "foCO2ABC");
}

Row outputsFolder() {
    const char* modeCells[] = {"raChanStat_0_Low", "raChanStat_0_High", "raChanStat_1_Low",
                               "raChanStat_1_High"};
    std::vector<Row> outputs;
    for (int n = 1; n <= 4; ++n) {
        const std::string i = std::to_string(n - 1);
        outputs.push_back(folder(
            "Output " + std::to_string(n),
            {
                node("Value", "raRegData_" + i, "foOutputValue" + i).fmt("sint casereg" + i).live(),
                node("Mode", modeCells[n - 1], "foOutputMode" + i).named(outputModeNames()),
            }));
    }
    return folder("Outputs", std::move(outputs));
}

}  // namespace

void buildTree78(kvObjectNodes& top, const TreeFacts& facts, const Tree78Variant& variant) {
    addRows(
        top,
        {systemFolder(variant.platform8), adsPointersFolder(), channelsFolder(), regDataFolder()},
        facts);
    std::vector<Row> measurements{co2MeasurementFolder(variant.platform8),
                                  abcFolder(variant.platform8)};
    addRows(top, {folder("Measurements", std::move(measurements))}, facts);
    addRows(*top.Item("foMeasurements")->Nodes(), variant.measurements(), facts);
    addRows(top,
            {folder("Regulators", {}), outputsFolder(), folder("Setpoints", {}),
             folder("Alarm", {}), folder("E", {}),
             folder("Logger", {node("LoggerInterval", "eaCountPar_14").in("sec").fmt("twat")})},
            facts);
    addRows(top, variant.trailing(), facts);
}

}  // namespace kvcom3::objects
