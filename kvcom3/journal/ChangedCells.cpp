#include "kvcom3/ChangedCells.h"

#include <set>

#include "kvcom3/Enums.h"
#include "kvcom3/Journal.h"
#include "kvcom3/clsAdressLevel.h"

namespace kvcom3 {

namespace {

void collectEeprom(const kvArrayNodes& nodes, std::vector<std::shared_ptr<kvArrayNode>>& cells) {
    for (const auto& node : nodes) {
        if (node->MemType() == kvEEPROM && node->NrOfBytes() > 0) cells.push_back(node);
        if (node->Nodes()) collectEeprom(*node->Nodes(), cells);
    }
}

std::vector<std::shared_ptr<kvArrayNode>> eepromCells(ISensMem& sensor) {
    std::vector<std::shared_ptr<kvArrayNode>> cells;
    collectEeprom(*sensor.ArrayLevel()->Nodes(), cells);
    return cells;
}

}  // namespace

std::vector<ChangedCell> eepromSnapshot(ISensMem& sensor) {
    auto level = sensor.AdressLevel();
    level->ReadFromSensor(0, sensor.MemSize(enmEEPROM), kvEEPROM, kvReadFromSensor);
    std::vector<ChangedCell> cells;
    for (const auto& cell : eepromCells(sensor)) cells.push_back({cell, cell->Value(false), 0});
    return cells;
}

std::vector<ChangedCell> changedSince(std::vector<ChangedCell> snapshot) {
    std::vector<ChangedCell> changed;
    for (ChangedCell& c : snapshot) {
        c.after = c.cell->Value(false);
        if (c.after != c.before) changed.push_back(c);
    }
    return changed;
}

// The old bytes go into the image for a moment to give each cell's value before.
std::vector<ChangedCell> changedByLastOperation(ISensMem& sensor) {
    std::vector<ChangedCell> changed;
    const auto place = lastJournalOperation();
    if (!place) return changed;
    std::vector<JournalByte> bytes;
    for (const auto& op : journalOperations(readJournal(place->file)))
        if (op.id == place->operation) bytes = op.changes();
    if (bytes.empty()) return changed;
    auto level = sensor.AdressLevel();
    const std::int32_t size = sensor.MemSize(enmEEPROM);
    std::set<std::int32_t> touched;
    for (const auto& b : bytes) touched.insert(b.address);
    for (const auto& cell : eepromCells(sensor)) {
        const std::int32_t start = cell->Adr() & (size - 1);
        auto hit = touched.lower_bound(start);
        if (hit != touched.end() && *hit < start + cell->NrOfBytes())
            changed.push_back({cell, 0, cell->Value(false)});
    }
    auto put = [&](bool old) {
        for (const auto& b : bytes)
            level->LetValue(b.address, 1, kvEEPROM, false, 0, kvLSByteAtHighAdress,
                            old ? b.before : b.after);
    };
    put(true);
    for (ChangedCell& c : changed) c.before = c.cell->Value(false);
    put(false);
    std::erase_if(changed, [](const ChangedCell& c) { return c.before == c.after; });
    return changed;
}

}  // namespace kvcom3
