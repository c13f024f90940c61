#include "kvcom3/EepromChanges.h"

#include <algorithm>
#include <set>

#include "kvcom3/Enums.h"
#include "kvcom3/ISensMem.h"
#include "kvcom3/kvArrayNode.h"

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

bool samePlace(const std::optional<JournalPlace>& a, const std::optional<JournalPlace>& b) {
    if (!a || !b) return !a && !b;
    return a->file == b->file && a->operation == b->operation;
}

// The operation's own writes tell which cells changed and what they held: the old bytes go into
// the image for a moment to give each cell's value before.
std::vector<CellChange> changedFromJournal(ISensMem& sensor, const JournalPlace& place) {
    std::vector<CellChange> changed;
    std::vector<JournalByte> bytes;
    for (const auto& op : journalOperations(readJournal(place.file)))
        if (op.id == place.operation) bytes = op.changes();
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
    for (CellChange& c : changed) c.before = c.cell->Value(false);
    put(false);
    std::erase_if(changed, [](const CellChange& c) { return c.before == c.after; });
    return changed;
}

}  // namespace

EepromChangeWatch::EepromChangeWatch(ISensMem& sensor)
    : sensor_(sensor), journaled_(journalEnabled()), lastBefore_(lastJournalOperation()) {
    if (journaled_) return;
    sensor.AdressLevel()->ReadFromSensor(0, sensor.MemSize(enmEEPROM), kvEEPROM, kvReadFromSensor);
    for (const auto& cell : eepromCells(sensor)) snapshot_.push_back({cell, cell->Value(false), 0});
}

std::vector<CellChange> EepromChangeWatch::changed() const {
    if (journaled_) {
        const auto place = lastJournalOperation();
        if (!place || samePlace(place, lastBefore_)) return {};
        return changedFromJournal(sensor_, *place);
    }
    std::vector<CellChange> changed;
    for (CellChange c : snapshot_) {
        c.after = c.cell->Value(false);
        if (c.after != c.before) changed.push_back(c);
    }
    return changed;
}

}  // namespace kvcom3
