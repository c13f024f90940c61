// Putting an operation's old bytes back.
#include <algorithm>
#include <map>
#include <set>

#include "kvcom3/Enums.h"
#include "kvcom3/Journal.h"
#include "kvcom3/clsAdressLevel.h"

namespace kvcom3 {

namespace {

// The sensor's bytes at the addresses, read afresh in runs of neighbouring addresses.
std::map<std::int32_t, std::uint8_t> readNow(clsAdressLevel& level,
                                             const std::vector<JournalByte>& changes) {
    std::map<std::int32_t, std::uint8_t> now;
    for (std::size_t i = 0; i < changes.size();) {
        std::size_t j = i + 1;
        while (j < changes.size() && changes[j].address == changes[j - 1].address + 1) ++j;
        const std::int32_t first = changes[i].address;
        const auto count = static_cast<std::int32_t>(j - i);
        level.ReadFromSensor(first, count, kvEEPROM, kvReadFromSensor);
        for (std::int32_t a = first; a < first + count; ++a)
            now[a] = static_cast<std::uint8_t>(level.Value(a, 1, kvEEPROM));
        i = j;
    }
    return now;
}

}  // namespace

JournalUndo undoJournalOperation(clsAdressLevel& level, const JournalOperation& operation,
                                 bool force) {
    const std::vector<JournalByte> changes = operation.changes();
    std::map<std::int32_t, std::set<std::uint8_t>> possible;
    for (const JournalRecord& record : operation.records) {
        for (const JournalByte& b : record.bytes) {
            possible[b.address].insert(b.before);
            possible[b.address].insert(b.after);
        }
    }
    JournalUndo undo;
    if (changes.empty()) return undo;
    const auto now = readNow(level, changes);
    for (const JournalByte& b : changes) {
        const std::uint8_t held = now.at(b.address);
        if (!possible[b.address].contains(held))
            undo.conflicts.push_back({b.address, b.after, held});
    }
    if (!undo.conflicts.empty() && !force) return undo;

    for (const JournalByte& b : changes) {
        if (now.at(b.address) == b.before) continue;
        level.LetValue(b.address, 1, kvEEPROM, false, 0, kvLSByteAtHighAdress, b.before);
        ++undo.restored;
    }
    if (undo.restored == 0) return undo;
    const std::int32_t first = changes.front().address;
    const std::int32_t count = changes.back().address - first + 1;
    level.WriteToSensor(first, count, kvEEPROM, kvAutoWriteToSensor);
    return undo;
}

}  // namespace kvcom3
