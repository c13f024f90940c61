// The RAM working variables of platforms 7 and 8. Off line only the part byte is mapped.
#include "facade/LibraryState.h"
#include "map/Map78.h"

namespace kvcom3 {

namespace {

std::shared_ptr<kvArrayNode> ram(kvArrayNodes& parent, const std::string& name, std::int32_t adr,
                                 std::int32_t bytes, std::int32_t mask = 0) {
    return parent.Add(name, adr, bytes, kvRAM, kvLSByteAtHighAdress, mask);
}

kvArrayNodes& ramGroup(kvArrayNodes& parent, const std::string& name) {
    return group(parent, name, kvRAM);
}

// Sixteen words from `first`.
void words(kvArrayNodes& root, const std::string& name, std::int32_t first) {
    kvArrayNodes& row = ramGroup(root, name);
    for (int i = 0; i < 16; ++i) ram(row, indexed(name + "_", i), first + 2 * i, 2);
}

// Sixteen nibbles from `first`, two to a byte, the even one low.
kvArrayNodes& nibbles(kvArrayNodes& root, const std::string& name, std::int32_t first) {
    kvArrayNodes& row = ramGroup(root, name);
    for (int i = 0; i < 16; ++i)
        ram(row, indexed(name + "_", i), first + i / 2, 1, i % 2 == 0 ? 15 : 240);
    return row;
}

void addRamSys(kvArrayNodes& sys) {
    ram(sys, "SysTimer", 44, 2);
    ram(sys, "CNT4MS", 46, 1);
    kvArrayNodes& flags = *ram(sys, "Flags", 47, 0)->Nodes();
    ram(flags, "FLG4", 47, 1);
    ram(flags, "GenState", 48, 1);
    ram(flags, "CounterIllegalSituation", 49, 1);
    ram(flags, "FLG1", 50, 1);
    ram(sys, "LampOFF", 60, 2);
    ram(sys, "LampON", 62, 1);
    ram(sys, "ErrorMask", 66, 1);
    ram(sys, "ErrorStat", 67, 1);
    ram(sys, "Minutes", 334, 1);
    ram(sys, "RTCQSEC", 335, 1);
    kvArrayNodes& sensorId = ramGroup(sys, "SensorID");
    ram(sensorId, "SensorID(0)", 336, 1);
    ram(sensorId, "SensorID(1)", 337, 1);
}

void addAds(kvArrayNodes& root) {
    kvArrayNodes& ads = ramGroup(root, "ADS");
    ram(ads, "ISW", 51, 1);
    ram(ads, "InterpPTR", 52, 2);
    kvArrayNodes& par = ramGroup(ads, "ADSpar");
    ram(par, "EEBUF", 54, 1);
    ram(par, "ADSCmdNum", 55, 1);
    ram(par, "AlgorithmNum", 56, 1);
}

void fraction(kvArrayNodes& frac, const std::string& axis, std::int32_t adr) {
    kvArrayNodes& fields = ramGroup(frac, "Frac" + axis);
    ram(fields, "Frac" + axis + "curr", adr, 1, 15);
    ram(fields, "Frac" + axis + "Dyn", adr, 1, 128);
    ram(fields, "Frac" + axis + "flags", adr, 1, 112);
}

void addRamCalculation(Map78& map, kvArrayNodes& root) {
    kvArrayNodes& calc = ramGroup(root, "mClc");
    ram(calc, "AmplInputPTR", 57, 1);
    ram(calc, "FLGready", 58, 1);
    kvArrayNodes& frac = ramGroup(calc, "FRAC");
    fraction(frac, "X", 63);
    fraction(frac, "Z", 64);
    kvArrayNodes& sample = ramGroup(calc, "ABC_Sample");
    for (int i = 0; i < 2; ++i) ram(sample, indexed("ABC_Sample_", i), 338 + 2 * i, 2);
    kvArrayNodes& amplitude = ramGroup(calc, "IR_Amplitude");
    if (map.full) {
        for (int i = 0; i < 8; ++i) {
            kvArrayNodes& one = group(amplitude, indexed("IR_Amplitude_", i));
            ram(one, indexed("Low_", i), 1296 + 4 * i, 2);
            ram(one, indexed("High_", i), 1298 + 4 * i, 2);
        }
    } else {
        ram(amplitude, "Low", 342, 2);
        ram(amplitude, "HIGH", 344, 2);
    }
    kvArrayNodes& mirror = ramGroup(calc, "TGSA_Mirror");
    ram(mirror, "W0", 346, 2);
    ram(mirror, "W1", 348, 2);
    ram(mirror, "W2", 350, 2);
    kvArrayNodes& mirror2 = ramGroup(calc, "TGSA2_Mirror");
    for (int i = 0; i < 3; ++i) ram(mirror2, indexed("W2_", i), 262 + 2 * i, 2);
}

void addChannelState(kvArrayNodes& root) {
    kvArrayNodes& menu = ramGroup(ramGroup(root, "Menu"), "MenuRAM");
    ram(menu, "MenuItem", 68, 1);
    ram(menu, "MenuIndex", 69, 1);
    ram(menu, "LEDstatus", 332, 1);
    words(root, "Chan", 12);
    kvArrayNodes& status = ramGroup(root, "ChanStat");
    for (int i = 0; i < 16; ++i) {
        const bool even = i % 2 == 0;
        const std::string name = indexed("ChanStat_", i);
        kvArrayNodes& halves = *ram(status, name, 352 + i / 2, 1, even ? 15 : 240)->Nodes();
        ram(halves, name + "_Low", 352 + i / 2, 1, even ? 3 : 48);
        ram(halves, name + "_High", 352 + i / 2, 1, even ? 12 : 192);
    }
    words(root, "Hdata", 300);
    nibbles(root, "HDataStat", 368);
    words(root, "RegData", 268);
    nibbles(root, "RegStat", 360);
    kvArrayNodes& general = nibbles(root, "GenStat", 376);
    kvArrayNodes& low = *general.Item(1)->Nodes();
    for (int i = 0; i < 8; ++i) ram(low, indexed("Chan_Disable_", i), 376, 1, 1 << i);
    kvArrayNodes& high = *general.Item(3)->Nodes();
    for (int i = 8; i < 16; ++i) ram(high, indexed("Chan_Disable_", i), 377, 1, 1 << (i - 8));
}

}  // namespace

void addRam(Map78& map, kvArrayNodes& root) {
    kvArrayNodes& ramRoot = ramGroup(root, "RAM");
    kvArrayNodes& sys = ramGroup(ramRoot, "Sys");
    ram(sys, "Part", 65, 1);
    if (!gConnection.OnLine) return;
    addRamSys(sys);
    addAds(ramRoot);
    addRamCalculation(map, ramRoot);
    addChannelState(ramRoot);
}

}  // namespace kvcom3
