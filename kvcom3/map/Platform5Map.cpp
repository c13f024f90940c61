// The map of platform-5 sensors: their parameters live in RAM.
#include "kvcom3/kvArrayNode.h"
#include "map/MapBuilders.h"
#include "map/MapNames.h"

namespace kvcom3 {

namespace {

void cell(kvArrayNodes& parent, const std::string& name, std::int32_t adr, std::int32_t bytes,
          std::int32_t mask = 0) {
    parent.Add(name, adr, bytes, kvRAM, kvLSByteAtHighAdress, mask);
}

void addSystem(kvArrayNodes& ram) {
    kvArrayNodes& system = group(ram, "System");
    cell(system, "NrOfSamples", 64, 1);
    cell(system, "Part", 65, 1);
    cell(system, "SerialNr", 66, 2);
    system.Add("LampOnTime", 38, 1, kvRAM, kvLSByteAtHighAdress, 0, "raLampOnTime");
    system.Add("LampOffTime", 36, 2, kvRAM, kvLSByteAtHighAdress, 0, "raLampOffTime");
}

void addRow(kvArrayNodes& channels, const char* name, std::int32_t first, std::int32_t step,
            std::int32_t bytes, std::int32_t mask = 0) {
    kvArrayNodes& row = group(channels, name);
    for (int i = 0; i < 4; ++i) {
        cell(row, indexed(std::string(name) + "_", i), first + step * i, bytes, mask);
    }
}

void addChannels(kvArrayNodes& ram) {
    kvArrayNodes& channels = group(ram, "Channels");
    addRow(channels, "Old", 68, 2, 2);
    addRow(channels, "Act", 20, 2, 2);
    addRow(channels, "Frac", 59, 1, 1, 7);
    addRow(channels, "Zero", 256, 2, 2);
    addRow(channels, "Span", 264, 2, 2);
    kvArrayNodes& amp = group(channels, "Amp");
    for (int i = 0; i < 4; ++i) {
        kvArrayNodes& one = group(amp, indexed("Amp_", i));
        cell(one, indexed("AmpHigh_", i), 274 + 2 * i, 2);
        cell(one, indexed("AmpLow_", i), 282 + 2 * i, 2);
    }
    cell(channels, "DetectorTemp", 362, 1);
    addRow(channels, "Tz", 363, 1, 1);
    auto ts = channels.Add("Ts", 330, 1, kvRAM);
    // The second group's cells overlap the first's where the formulas put them.
    kvArrayNodes& abc = group(*ts->Nodes(), "ABC");
    for (int i = 0; i < 2; ++i) {
        kvArrayNodes& one = group(abc, indexed("ABC_", i));
        cell(one, indexed("ABC_PERIOD_", i), 340 + i, 1);
        cell(one, indexed("ABC_TIME1_", i), 341 + i, 1);
        cell(one, indexed("ABC_Sample_", i), 342 + 2 * i, 2);
        cell(one, indexed("ABC_Target_", i), 344 + 2 * i, 2);
        cell(one, indexed("ABC_Frac_", i), 346 + i, 1);
    }
}

}  // namespace

void buildPlatform5Map(kvArrayNodes& root) {
    kvArrayNodes& ram = group(root, "RAM");
    addSystem(ram);
    addChannels(ram);
    group(ram, "Outputs");
}

}  // namespace kvcom3
