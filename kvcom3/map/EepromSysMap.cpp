// Identity, measurement structure, product id, base addresses and the algorithm slots: the
// top of EEPROM.
#include "map/Map78.h"

namespace kvcom3 {

namespace {

void addMeasurementStructure(kvArrayNodes& sys) {
    kvArrayNodes& structure = group(sys, "Measurement Structure");
    kvArrayNodes& header = group(structure, "Header", kvEEPROM, "eaMSHeader");
    cell(header, "Type of structure", -308, 1, 0, "eaMSHTypePfStructure");
    cell(header, "Number of IR phases", -307, 1, 0, "eaMSHNrOfIRPhases");
    cell(header, "Reserved2", -306, 1, 0, "eaMSHReserved2");
    cell(header, "Reserved3", -305, 1, 0, "eaMSHReserved3");

    static constexpr const char* kPhase0[] = {
        "Phase Type",        "Lamp Mode", "Measurement Type", "Config IR_MUX 0&1",
        "IR_Chan & LEV_MUX", "Reserved",  "Reserved",         "Reserved"};
    kvArrayNodes& phase0 = group(structure, "Phase0", kvEEPROM, "eaMSPhase0");
    for (int k = 0; k < 8; ++k) {
        cell(phase0, kPhase0[k], -304 + k, 1, 0,
             k == 4 ? std::string("eaPhase0_4") : indexed("eaMSPhase0_", k));
    }
    for (int p = 1; p < 4; ++p) {
        kvArrayNodes& phase =
            group(structure, indexed("Phase", p), kvEEPROM, indexed("eaMSPhase", p));
        const std::string keyBase = indexed("eaMSPhase", p) + "_";
        for (int k = 0; k < 8; ++k)
            cell(phase, indexed("Reserved", k), -304 + 8 * p + k, 1, 0, indexed(keyBase, k));
    }
}

// Two fields sharing one byte: the low nibble and the high nibble.
void nibbles(kvArrayNodes& parent, const char* low, const char* high, std::int32_t adr) {
    cell(parent, low, adr, 1, 15);
    cell(parent, high, adr, 1, 240);
}

void addProductId(kvArrayNodes& sys) {
    kvArrayNodes& id = group(sys, "ProductID");
    nibbles(id, "EEPROM size", "Communication option / LON", -23);
    nibbles(id, "SpaceTemp sensor", "Probe CO2 batch", -22);
    nibbles(id, "Probe CO2 range", "CO2 sensor nr", -21);
    cell(id, "Extra probe", -20, 1);
    nibbles(id, "Top terminal block", "Bottom jumper block", -19);
    cell(id, "CO2 sensor nr extension", -18, 1);
    nibbles(id, "Display And Push Buttons", "Box", -17);
}

// An algorithm slot: a word whose first byte is the algorithm number and whose second holds two
// parameter nibbles.
void slotFields(kvArrayNodes& parent, const std::string& nr, const std::string& low,
                const std::string& high, std::int32_t adr) {
    cell(parent, nr, adr, 1);
    cell(parent, low, adr + 1, 1, 15);
    cell(parent, high, adr + 1, 1, 240);
}

void slotGroup(kvArrayNodes& ads, const std::string& name, int first, int last, std::int32_t base) {
    kvArrayNodes& slots = group(ads, name);
    for (int i = first; i <= last; ++i) {
        const std::int32_t adr = base + 2 * i;
        auto slot = cell(slots, indexed(name + "_", i), adr, 2);
        slotFields(*slot->Nodes(), indexed(name + "Nr_", i), indexed(name + "ParamLow_", i),
                   indexed(name + "ParamHigh_", i), adr);
    }
}

}  // namespace

void addSys(Map78& map, kvArrayNodes& eeprom) {
    kvArrayNodes& sys = group(eeprom, "Sys");
    kvArrayNodes& sensorId = group(sys, "SensorID");
    cell(sensorId, "SensorID(0)", 16, 1, 0, "eaSensorID_0");
    cell(sensorId, "SensorID(1)", 17, 1, 0, "eaSensorID_1");
    if (map.full) addMeasurementStructure(sys);
    cell(sys, "LampOff", -34, 2);
    cell(sys, "LampOn", -32, 1);
    cell(sys, "Part", -29, 1);
    cell(sys, "ErrorMask", -28, 1);
    cell(sys, "SerialNr", -26, 3, 0, {}, kvLSByteAtLowAdress);
    addProductId(sys);
    kvArrayNodes& bases = group(sys, "BaseAdresses");
    static constexpr const char* kBases[] = {"Ba_ADS_CODE",  "Ba_TABLE",    "Ba_MENU",
                                             "Ba_RANGE_PAR", "Ba_UserInfo", "Ba_TWAarray"};
    for (int i = 0; i < 6; ++i) cell(bases, kBases[i], -16 + 2 * i, 2);
    kvArrayNodes& service = group(sys, "ServiceInfo");
    cell(service, "ProcVer", -4, 1);
    for (int i = 1; i <= 3; ++i) cell(service, indexed("ServiceInfo_", i), -4 + i, 1);
}

void addAlgorithmSlots(Map78& map, kvArrayNodes& eeprom) {
    kvArrayNodes& ads = group(eeprom, "ADS PTR");
    auto start = cell(ads, "StartAlg", -136, 2);
    // Without a flash processor the start slot's fields sit beside it, not below it.
    slotFields(map.full ? *start->Nodes() : ads, "StartAlgNr", "StartAlgParamLow",
               "StartAlgParamHigh", -136);
    slotGroup(ads, "HeaderAlg", 0, 5, -134);
    slotGroup(ads, "State0Alg", 7, 29, -136);
    slotGroup(ads, "State1Alg", 30, 33, -136);
    slotGroup(ads, "State2Alg", 34, 41, -136);
}

}  // namespace kvcom3
