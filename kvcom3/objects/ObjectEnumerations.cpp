#include "objects/ObjectEnumerations.h"

namespace kvcom3::objects {

const EnumRows& errorMaskNames() {
    static const EnumRows rows{
        {0, "EmptyState"},    {1, "Reserved"},   {2, "AlgorithmError"}, {3, "OutputError"},
        {4, "SelfDiagError"}, {5, "OutOfRange"}, {6, "MemoryError"},    {7, "Reserved"},
    };
    return rows;
}

const EnumRows& eepromSizeNames() {
    static const EnumRows rows{
        {0, "1kb"},  {1, "2kb"},  {2, "4kb"},  {3, "8kb"},
        {4, "16kb"}, {5, "32kb"}, {6, "64kb"}, {15, "Invalid"},
    };
    return rows;
}

const EnumRows& communicationNames() {
    static const EnumRows rows{
        {0, "Standard"},
        {1, "A55A(Special COP)"},
        {2, "LON"},
        {15, "Invalid"},
    };
    return rows;
}

const EnumRows& spaceTempSensorNames() {
    static const EnumRows rows{
        {0, "Single 10k NTC, input 6, 20 kOhm pull-up"},
        {1, "Single 10k NTC, input 3, 20 kOhm pull-up"},
        {2, "Double 10k NTC, inputs 3 and 6, 20 kOhm pull-up"},
        {3, "Single 10k NTC, input 2, 24 kOhm pull-up"},
        {15, "No temp"},
    };
    return rows;
}

const EnumRows& probeRangeNames() {
    static const EnumRows rows{
        {0, "0-3000 ppm"}, {1, "0-1000 ppm"}, {2, "0-6000 ppm"}, {3, "0-1.5%"},
        {4, "0-3%"},       {5, "0-10%"},      {6, "0-20%"},      {15, "Invalid"},
    };
    return rows;
}

const EnumRows& co2SensorNames() {
    static const EnumRows rows{
        {0, "L type big detector"},
        {1, "M type big detector"},
        {2, "L type small detector"},
        {3, "H type big detector"},
        {7, "M type small detector"},
        {10, "M type small detector version 2"},
        {11, "M type big detector version 2"},
        {15, "Invalid"},
    };
    return rows;
}

const EnumRows& extraProbeNames() {
    static const EnumRows rows{
        {0, "Invalid"},
        {31, "RH probe - Honeywell RH Probe IH-3605B on input 4"},
        {32, "Oxygen sensor - MAX250 on input 3"},
        {33, "Oxygen sensor - KE-50 on input 3"},
        {34, "Oxygen sensor - EnviteC Oxigen Sensor C p/n OOM102 on input 3"},
        {255, " -not mounted"},
    };
    return rows;
}

const EnumRows& topTerminalNames() {
    static const EnumRows rows{
        {0, "No extra terminals"},
        {1, "Pole Wago grey and jumper (stift list)"},
        {2, "Transmitter with one digital output, jumper and resistive output"},
        {3, "Controller with 2 digital inputs and 1 Analog Input, 1..5V input range"},
        {4, "Controller with 2 digital inputs and 1 Analog Input, 0..10V active 5V"},
        {5, "Controller with 1 digital input and 1 Analog Input, 1..5V input range"},
        {6, "1 Analog Input, 1..5V input range, Wago orange 2 pole"},
        {7, "6-pole orange terminal block"},
        {8, "No extra terminals for given part number"},
        {15, "Invalid"},
    };
    return rows;
}

const EnumRows& bottomJumperNames() {
    static const EnumRows rows{
        {0, "OUT1 and OUT2 configuration jumpers only"},
        {1, "Digital input 2 & 4"},
        {15, "Invalid"},
    };
    return rows;
}

const EnumRows& displayNames() {
    static const EnumRows rows{
        {0, "Display on long legs, no push-buttons"},
        {1, "Display on short legs, no push-buttons"},
        {2, "Display on long legs, 2 high push-buttons"},
        {3, "Display on short legs, 2 high push-buttons"},
        {4, "Display on short legs, 2 short push-buttons"},
        {5, "Display on long legs, 3 high push-buttons"},
        {6, "Display on short legs, 3 high push-buttons"},
        {7, "Display on short legs, 3 short push-buttons"},
        {15, "No display, no push-buttons"},
    };
    return rows;
}

const EnumRows& boxNames() {
    static const EnumRows rows{
        {0, "OEM PCB without box"},
    };
    return rows;
}

const EnumRows& outputModeNames() {
    static const EnumRows rows{
        {0, "Normal"},
        {1, "0%"},
        {2, "100%"},
        {3, "Locked"},
    };
    return rows;
}
// Algorithm codes: M measurement, R regulator, O output, S setpoint, E, A auxiliary,
const EnumRows& algorithmNames() {
    static const EnumRows rows{
        {0, "M0000_00_end"},
        {1, "M0001_00_SpaceTempNet"},
        {2, "M0002_00_DetTemp"},
        {3, "M0003_00_DetTemp"},
        {4, "M0004_00_SpaceCO2Net"},
        {5, "M0005_00_GeneralTable3Net"},
        {6, "M0041_00_CO2withDynFrac2_Net"},
        {7, "M0007_00_BasicHardDigInput"},
        {8, "M0008_00_ButIn2key3but"},
        {9, "M0030_00_SpaceCO2Net_AZC"},
        {10, "M0010_00_Test1"},
        {11, "M0035_00_SpaceCO2Net_AZC_OpMode"},
        {12, "M0012_00_Space02Net"},
        {13, "M0013_00_ABC_CO2"},
        {14, "M0014_00_ABC_O2"},
        {15, "M0015_00_CorrectableTable3Net"},
        {16, "M0016_00_Table3CorrectableNet"},
        {17, "M0017_00_RegToChanRescale"},
        {18, "M0018_00_NullErrorNet"},
        {19, "M0019_00_NullDefaultAdjParNet"},
        {20, "M0020_00_GeneralTable1Net"},
        {21, "M0021_00_CorrectSpaceTempNet"},
        {22, "M0022_00_SelfRSPosEdge"},
        {23, "M0023_00_FlipFlopPosEdge"},
        {24, "M0024_00_HCModeOnEffectHCSpt"},
        {25, "M0025_00_OpModeSW"},
        {26, "M0026_00_Chan2ChanFixedFilterNet"},
        {27, "M0027_00_MeasAccumulation"},
        {28, "M0028_00_AverageAlone"},
        {29, "M0029_00_Tables1_3CorrectNet"},
        {31, "M0031_00_ButIn1keyPushRelease"},
        {32, "R0001_00_BasicPRegulator"},
        {33, "R0003_00_ChanSPtPreg12"},
        {34, "R0004_00_ChanSPtPreg13"},
        {35, "R0018_00_OpCoolModeSpTempPIReg"},
        {36, "R0002_00_BasicSpaceTempPReg"},
        {37, "R0013_00_OpModeSpaceTempPReg"},
        {38, "R0014_00_OpModePRegulator"},
        {39, "R0015_00_HeatModeSpaceTempPIReg"},
        {40, "R0019_00_OffsetAdjustment"},
        {41, "R0020_00_ForcingDemandwSW2Reset"},
        {42, "R0021_00_ForcingDemandwoutReset"},
        {43, "R0022_00_bPar2rgDemandSum"},
        {44, "R0023_00_bPar2rgDemandMax"},
        {45, "R0024_00_ChanSPtFullScalePIReg10"},
        {46, "R0025_00_2RegsFixedPSequencer"},
        {47, "R0026_00_RegFixedPSequencer"},
        {48, "R0009_00_ChanSPtPIReg10"},
        {49, "R0010_00_ChanSPtPIReg11"},
        {50, "R0027_00_3RegsFixedPSequencer"},
        {51, "R0028_00_ChanSPtPreg14"},
        {52, "R0029_00_ChanSPtPreg15"},
        {53, "R0030_00_Sum4DemandRegPar2"},
        {54, "R0031_00_Max4DemandRegPar2"},
        {55, "R0032_00_Switch4DemandRegPar2"},
        {56, "R0033_00_Sum4RegPar2OpMode"},
        {57, "R0034_00_Max4RegPar2OpMode"},
        {58, "R0035_00_Switch4RegPar2OpMode"},
        {59, "R0036_00_BasicComparator2Level"},
        {60, "R0037_00_StepperAlarmEnabled"},
        {61, "R0041_00_SPtCh7_SymmComp"},
        {64, "O0001_00_BasicOutAdjustNet"},
        {65, "O0004_00_BasicOutFixedAlone"},
        {66, "O0016_00_BasicSw2MinDisOutAdjNet"},
        {67, "O0017_00_BasicOModeMinDisOutAdjNet"},
        {68, "O0005_00_CParMaxOutFixedAlone"},
        {69, "O0006_00_CParSumOutFixedAlone"},
        {70, "O0007_00_CParSwitchOutFixedAlone"},
        {71, "O0008_00_CParMaxSw2OutAdjustNet"},
        {72, "O0009_00_Max4OpModeOutAdjNet"},
        {73, "O0010_00_CParSumSw2OutAdjustNet"},
        {74, "O0011_00_Max4Sw2Sw14AdjustNet"},
        {75, "O0012_00_Sum4Sw2Sw14AdjustNet"},
        {76, "O0013_00_CParMaxOutAdjNet"},
        {77, "O0014_00_CParSumOutAdjNet"},
        {78, "O0015_00_CparSwitch3_4OutAdjNet"},
        {79, "O0018_00_Sum4OpModeOutAdjNet"},
        {80, "O0019_00_3LevelOpModeAlarmNet"},
        {81, "O0020_00_DigOutAfterSwitchNet"},
        {82, "O0021_00_ComfortOpModeDirectOutNet"},
        {83, "O0023_00_CParMaxOutAdjTMOalgNet"},
        {84, "O0024_00_CParSumOutAdjTMOalgNet"},
        {88, "S0001_00_SPtSpaceT_ButtonAdjust"},
        {89, "S0002_00_HCEffectSymSPtSpaceT"},
        {90, "S0003_00_CSPTempComfort"},
        {91, "S0004_00_CSPTempOpModeNet"},
        {92, "S0005_00_CSPbParAnyNet"},
        {97, "M0037_00_ABC_CorrectOpMode"},
        {102, "R0039_00_Max4RegPar2ifActive"},
        {103, "E0002_00_BatteryIndicatorControl"},
        {104, "A0001_00_Send3ch"},
        {105, "A0002_00_DelaysTimer"},
        {106, "A0003_00_State2AlgHighOnSwEdge"},
        {107, "A0004_00_wParRangeCheckS2Bit0"},
        {108, "A0005_00_wParRangeCheckS2Bit1"},
        {109, "A0006_00_SetErrs_SelfDiag_Output"},
        {110, "A0007_00_ChanCange2MenuEvent1"},
        {111, "A0008_00_ChanCange2MenuEvent2"},
        {112, "A0009_00_AlarmAcknowledgement"},
        {113, "A0010_00_AZC_YellowLEDAck"},
        {120, "C0001_00_CO2background"},
        {121, "C0002_00_CO2nitrogen"},
        {122, "C0003_00_O2spanA55A"},
        {123, "C0004_00_O2zeroA55A"},
        {124, "C0005_00_CO2backgroundA55A"},
        {125, "C0006_00_CO2nitrogenA55A"},
        {126, "C0007_00_CO2nitrogenAZC"},
    };
    return rows;
}

}  // namespace kvcom3::objects
