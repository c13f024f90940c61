// Naming a sensor's journal, and reading operations out of its records.
#include <algorithm>
#include <map>
#include <stdexcept>

#include "facade/SerialNumber.h"
#include "kvcom3/Journal.h"
#include "kvcom3/KvError.h"
#include "kvcom3/clsAdressLevel.h"

namespace kvcom3 {

namespace {

const std::string kUndoPrefix = "undo ";

}  // namespace

std::filesystem::path journalFile(const std::filesystem::path& directory,
                                  const JournalSensor& sensor) {
    return directory /
           (std::to_string(sensor.part) + "-" + std::to_string(sensor.serial) + ".journal");
}

JournalSensor journalSensor(clsAdressLevel& level) {
    JournalSensor sensor;
    sensor.platform = level.Platform();
    sensor.part = level.Part();
    sensor.eepromSize = level.EEPROMsize();
    sensor.serial = readSerialNumber(level, false).value_or(0);
    return sensor;
}

std::vector<JournalByte> JournalOperation::changes() const {
    std::vector<JournalByte> changes;
    std::map<std::int32_t, std::size_t> at;
    for (const JournalRecord& record : records) {
        for (const JournalByte& b : record.bytes) {
            auto [it, fresh] = at.try_emplace(b.address, changes.size());
            if (fresh)
                changes.push_back(b);
            else
                changes[it->second].after = b.after;
        }
    }
    std::sort(changes.begin(), changes.end(),
              [](const JournalByte& a, const JournalByte& b) { return a.address < b.address; });
    return changes;
}

std::vector<JournalOperation> journalOperations(const JournalContents& contents) {
    std::vector<JournalOperation> operations;
    std::map<std::int64_t, std::size_t> at;
    for (const JournalRecord& record : contents.records) {
        auto [it, fresh] = at.try_emplace(record.operation, operations.size());
        if (fresh) operations.push_back({record.operation, {}, true});
        JournalOperation& operation = operations[it->second];
        operation.records.push_back(record);
        operation.done = operation.done && record.done;
    }
    return operations;
}

std::string undoOperationText(std::int64_t id) {
    return kUndoPrefix + std::to_string(id);
}

std::optional<std::int64_t> undoneOperation(const JournalOperation& operation) {
    const std::string& text = operation.records.front().operationText;
    if (!operation.done || !text.starts_with(kUndoPrefix)) return std::nullopt;
    try {
        return std::stoll(text.substr(kUndoPrefix.size()));
    } catch (const std::logic_error&) {
        return std::nullopt;
    }
}

const JournalOperation* newestUndoable(const std::vector<JournalOperation>& operations) {
    std::vector<std::int64_t> undone;
    for (const auto& op : operations)
        if (auto target = undoneOperation(op)) undone.push_back(*target);
    for (auto it = operations.rbegin(); it != operations.rend(); ++it)
        if (!undoneOperation(*it) &&
            std::find(undone.begin(), undone.end(), it->id) == undone.end())
            return &*it;
    return nullptr;
}

void requireSameSensor(const JournalOperation& operation, const JournalSensor& sensor) {
    if (!(operation.records.front().sensor == sensor))
        raisePlatformError(platform_error::InvalidCall,
                           "operation " + std::to_string(operation.id) +
                               " was made on a sensor of another platform or size");
}

}  // namespace kvcom3
