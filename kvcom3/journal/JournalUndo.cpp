// Putting an operation's old bytes back.
#include <algorithm>
#include <map>
#include <set>
#include <string>

#include "kvcom3/Enums.h"
#include "kvcom3/Journal.h"
#include "kvcom3/KvError.h"
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

JournalRollBack rollBackLastOperation(clsAdressLevel& level) {
    JournalRollBack back;
    const auto place = lastJournalOperation();
    if (!place) return back;
    back.operation = place->operation;
    try {
        for (const JournalOperation& op : journalOperations(readJournal(place->file))) {
            if (op.id != place->operation) continue;
            setJournalOperation("undo " + std::to_string(op.id));
            const JournalUndo undo = undoJournalOperation(level, op, false);
            back.restored = undo.restored;
            back.conflicts = undo.conflicts.size();
            back.result = undo.conflicts.empty() ? JournalRollBack::Result::Restored
                                                 : JournalRollBack::Result::Conflicts;
        }
    } catch (const KvError& e) {
        back.result = JournalRollBack::Result::Failed;
        back.error = "error " + std::to_string(e.number()) + ": " + e.description();
    }
    return back;
}

std::string JournalRollBack::message() const {
    const std::string id = std::to_string(operation);
    const std::string later = "; 'kvtool undo " + id + "' puts them back when the sensor answers";
    switch (result) {
        case Result::Nothing: return {};
        case Result::Restored:
            return "the EEPROM bytes changed before the failure are back as they were (operation " +
                   id + ", " + std::to_string(restored) + " bytes written)";
        case Result::Conflicts:
            return std::to_string(conflicts) + " EEPROM bytes changed meanwhile; nothing put back" +
                   later;
        case Result::Failed:
            return "the EEPROM bytes changed before the failure could not be put back (" + error +
                   ")" + later;
    }
    return {};
}

}  // namespace kvcom3
