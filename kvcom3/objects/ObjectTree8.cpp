// The object tree of platform-8 sensors: the shared tree, the space temperature and humidity
// folders when the sensor has those probes, and the Modbus registers under Modbus.
#include "objects/Tree78.h"

namespace kvcom3::objects {

namespace {

// The product-ID codes that mean a probe is missing.
constexpr std::int32_t kNoProbe = 15;
constexpr std::int32_t kNoExtraProbe = 0;

// A quantity's four status bits, each a node over the same register.
struct StatusBits {
    const char* names[4];
    const char* suffixes[4] = {"FW", "F", "OR", "OOS"};
};

Row statusField(const std::string& name, const std::string& cell, const std::string& key, int field,
                const StatusBits& bits) {
    const std::int32_t first = 1 << (4 * field);
    std::vector<Row> children;
    for (int b = 0; b < 4; ++b) {
        children.push_back(node(bits.names[b], cell, key + bits.suffixes[b]).mask(first << b));
    }
    return node(name, cell, key).mask(15 * first).with(std::move(children));
}

Row inputRegisters() {
    const StatusBits measureBits{{"Fault warning", "Fault", "Overridden", "OutOfService"}};
    const StatusBits outputBits{{"Digital status", "Fault", "Overridden", "OutOfService"}};
    const char* quantities[][2] = {
        {"Space CO2", "moMStatSpaceCO2"},
        {"Temp 1", "moMStatTemp1"},
        {"Space O2", "moMStatSpaceO2"},
        {"Temp 2", "moMStatTemp2"},
    };
    std::vector<Row> measureStatus;
    for (int q = 0; q < 4; ++q) {
        measureStatus.push_back(
            statusField(quantities[q][0], "miIR_10", quantities[q][1], q, measureBits));
    }
    std::vector<Row> rows{
        node("System / Central status", "miIR_0", "moStatus"),
        node("Space CO2", "miIR_6", "moSpaceCO2").chan(5).fmt("sint casechannel5"),
        node("Temp 1", "miIR_7", "moTemp1").chan(4).fmt("sint casechannel4"),
        node("Space O2", "miIR_8", "moSpaceO2").chan(6).fmt("sint casechannel6"),
        node("Temp 2", "miIR_9", "moTemp2"),
        node("Measure Status", "miIR_10", "moMStat").with(std::move(measureStatus)),
    };
    for (int n = 1; n <= 4; ++n) {
        const std::string out = std::to_string(n);
        rows.push_back(node("Output " + out, "miIR_" + std::to_string(20 + n), "moOutput" + out)
                           .in("%")
                           .fmt("/163 round1"));
    }
    std::vector<Row> outputStatus;
    for (int n = 1; n <= 4; ++n) {
        const std::string out = std::to_string(n);
        outputStatus.push_back(
            statusField("Output " + out, "miIR_25", "moOutStatOut" + out, n - 1, outputBits));
    }
    rows.push_back(node("Output Status", "miIR_25", "moOutStat").with(std::move(outputStatus)));
    return folder("InputRegisters", std::move(rows));
}

Row holdingRegisters() {
    return folder(
        "HoldingRegisters",
        {
            node("OOS Space CO2", "mhHR_16", "moOOSSpaceCO2").chan(5).fmt("sint casechannel5"),
            node("OOS Temp 1", "mhHR_17", "moOOSTemp1").chan(4).fmt("sint casechannel4"),
            node("OOS Space O2", "mhHR_18", "moOOSSpaceO2").chan(6).fmt("sint casechannel6"),
        });
}

}  // namespace

void buildPlatform8Tree(kvObjectNodes& top, const TreeFacts& facts) {
    Tree78Variant variant;
    variant.platform8 = true;
    variant.measurements = [&facts] {
        const std::int32_t tempSensor = facts.cells("eaSpaceTemp_sensor");
        const std::int32_t extraProbe = facts.cells("eaExtra_probe");
        return std::vector<Row>{
            folder("SpaceTemp", {node("SpaceTempValue", "raChan_4", "foSpaceTempValue")
                                     .chan(4)
                                     .fmt("sint casechannel4")
                                     .live()})
                .onlyIf(tempSensor != kNoProbe),
            folder("SpaceRH", {node("SpaceRHValue", "raChan_6", "foSpaceRHValue")
                                   .chan(6)
                                   .fmt("sint casechannel6")
                                   .live()})
                .onlyIf(extraProbe != kNoExtraProbe && extraProbe != kNoProbe),
        };
    };
    variant.trailing = [&facts] {
        return std::vector<Row>{
            folder("ModBus", {inputRegisters(), holdingRegisters()}).onlyIf(facts.modbus)};
    };
    buildTree78(top, facts, variant);
}

}  // namespace kvcom3::objects
