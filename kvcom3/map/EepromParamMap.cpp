// The EEPROM parameters at fixed places: calculation, case registers, outputs, parameter arrays,
// regulators and control bits. Arrays of 16 keep their first eight entries near the start of
// EEPROM and the rest near its end.
#include "map/Map78.h"

namespace kvcom3 {

namespace {

// Entry i of a 16-entry array split between the two ends of EEPROM.
std::int32_t split(int i, std::int32_t low, std::int32_t high, std::int32_t step) {
    return i <= 7 ? low + step * i : high + step * (i - 8);
}

void fraction(kvArrayNodes& frac, const std::string& axis, std::int32_t adr) {
    kvArrayNodes& fields = group(frac, "Frac" + axis);
    cell(fields, "Frac" + axis + "set", adr, 1, 15);
    cell(fields, "Frac" + axis + "dynamic", adr, 1, 128);
    cell(fields, "Frac" + axis + "flags", adr, 1, 112);
}

// A byte of four fields: key bit, divisor, unit and decimals.
void caseRow(kvArrayNodes& parent, const std::string& name, std::int32_t first) {
    kvArrayNodes& row = group(parent, name + "s");
    for (int i = 0; i < 16; ++i) {
        const std::int32_t adr = first + i;
        kvArrayNodes& fields = *cell(row, indexed(name + "_", i), adr, 1)->Nodes();
        cell(fields, indexed(name + "Key_", i), adr, 1, 128);
        cell(fields, indexed(name + "Div_", i), adr, 1, 96);
        cell(fields, indexed(name + "Unit_", i), adr, 1, 28);
        cell(fields, indexed(name + "Dec_", i), adr, 1, 3);
    }
}

}  // namespace

void addCalculation(Map78& map, kvArrayNodes& eeprom) {
    kvArrayNodes& calc = group(eeprom, "mClc");
    kvArrayNodes& frac = group(calc, "Frac");
    fraction(frac, "X", -31);
    fraction(frac, "Y", -30);
    kvArrayNodes& channels = *cell(calc, "NCHAN", -27, 1)->Nodes();
    for (int i = 0; i < 8; ++i) cell(channels, indexed("NCHAN_", i), -27, 1, 1 << i);
    kvArrayNodes& period = group(calc, "ABC_Period");
    for (int i = 0; i < 2; ++i) cell(period, indexed("ABC_Period_", i), -52 + i, 1);
    kvArrayNodes& limits = group(calc, map.full ? "ABC_FracLimit" : "ABC_Frac");
    for (int i = 0; i < 2; ++i) {
        kvArrayNodes& one = group(limits, indexed("ABC_Frac_", i));
        cell(one, indexed("ABC_FracLimit_", i), -50 + i, 1, 192);
        cell(one, indexed("ABC_FracCorrLimit_", i), -50 + i, 1, 63);
    }
    kvArrayNodes& target = group(calc, "ABC_Target");
    for (int i = 0; i < 2; ++i) cell(target, indexed("ABC_Target_", i), -48 + 2 * i, 2);
    kvArrayNodes& sample = group(calc, "ABC_Sample");
    for (int i = 0; i < 2; ++i) cell(sample, indexed("ABC_Sample_", i), 18 + 2 * i, 2);
    kvArrayNodes& time = group(calc, "ABC_Time");
    for (int i = 0; i < 2; ++i) cell(time, indexed("ABC_Time_", i), 22 + i, 1);
}

void addCase(kvArrayNodes& eeprom) {
    kvArrayNodes& caseGroup = group(eeprom, "Case");
    caseRow(caseGroup, "CaseReg", -248);
    caseRow(caseGroup, "CaseChannel", -232);
}

void addOutputAndCountParameters(kvArrayNodes& eeprom) {
    kvArrayNodes& outputs = group(eeprom, "HWOutConfig");
    for (int i = 0; i < 8; ++i) cell(outputs, indexed("HWOutConfig_", i), -272 + i, 1);
    kvArrayNodes& wPar = group(eeprom, "wPar");
    for (int i = 0; i < 16; ++i) cell(wPar, indexed("wPar_", i), split(i, 0, -264, 2), 2);
    kvArrayNodes& bPar = group(eeprom, "bPar");
    for (int i = 0; i < 16; ++i) cell(bPar, indexed("bPar_", i), split(i, 92, -144, 1), 1);
    kvArrayNodes& adjust = group(eeprom, "AdjustPar");
    for (int i = 0; i < 16; ++i) cell(adjust, indexed("AdjustPar_", i), 132 + 2 * i, 2);
    kvArrayNodes& count = group(eeprom, "CountPar");
    for (int i = 0; i < 16; ++i) cell(count, indexed("CountPar_", i), split(i, 76, -160, 2), 2);
}

void addRegulatorParameters(kvArrayNodes& eeprom) {
    kvArrayNodes& regulators = group(eeprom, "RegPar");
    for (int i = 0; i < 16; ++i) {
        kvArrayNodes& one = group(regulators, indexed("RegPar_", i));
        const std::int32_t adr = split(i, 28, -208, 6);
        cell(one, indexed("RegPar0_", i), adr, 2);
        cell(one, indexed("RegPar1_", i), adr + 2, 2);
        cell(one, indexed("RegPar2_", i), adr + 4, 2);
    }
    kvArrayNodes& tgsa = group(eeprom, "TGSAconfig");
    static constexpr const char* kFields[] = {"CH0_PAR_", "CH1_PAR_", "CH2_PAR_", "CH3_PAR_",
                                              "Mode_PAR_"};
    for (int i = 0; i < 2; ++i) {
        kvArrayNodes& one = group(tgsa, indexed("TGSAconfig_", i));
        for (int f = 0; f < 5; ++f) cell(one, indexed(kFields[f], i), -44 + 5 * i + f, 1);
    }
}

void addLimitsAndControl(kvArrayNodes& eeprom) {
    kvArrayNodes& oos = group(eeprom, "oosPar");
    for (int i = 0; i < 16; ++i) cell(oos, indexed("oosPar_", i), 100 + 2 * i, 2);
    kvArrayNodes& control = group(eeprom, "bcntrl");
    for (int i = 0; i < 16; ++i) {
        const std::int32_t adr = i <= 7 ? 24 + i / 2 : -212 + (i - 8) / 2;
        cell(control, indexed("bcntrl_", i), adr, 1, i % 2 == 0 ? 15 : 240);
    }
}

}  // namespace kvcom3
