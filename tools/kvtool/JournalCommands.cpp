// The journal of the connected sensor: what changed its EEPROM, and putting it back.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Json.h"
#include "Session.h"
#include "kvcom3/Journal.h"
#include "kvcom3/KvError.h"
#include "kvcom3/clsAdressLevel.h"

namespace kvtool {

namespace {

struct SensorJournal {
    kvcom3::JournalSensor sensor;
    std::filesystem::path file;
    std::vector<kvcom3::JournalOperation> operations;
};

SensorJournal journalOf(Session& s) {
    SensorJournal journal;
    journal.sensor = kvcom3::journalSensor(*s.sensor->AdressLevel());
    journal.file = kvcom3::journalFile(kvcom3::defaultJournalDirectory(), journal.sensor);
    const kvcom3::JournalContents contents = kvcom3::readJournal(journal.file);
    if (contents.damaged > 0)
        std::cerr << "kvtool: " << contents.damaged << " damaged line"
                  << (contents.damaged == 1 ? "" : "s") << " skipped in " << journal.file.string()
                  << '\n';
    journal.operations = kvcom3::journalOperations(contents);
    return journal;
}

std::size_t byteCount(const kvcom3::JournalOperation& op) {
    return op.changes().size();
}

void addHistory(CLI::App& app, CommandList& commands) {
    auto* history = app.add_subcommand(
        "history",
        "List the journaled EEPROM changes of the sensor, newest first: id, time (UTC), "
        "program, operation, bytes, done or interrupted");
    history->footer(
        "An interrupted operation was cut short after its record reached the disk: some of its "
        "bytes may be written. 'kvtool undo ID' puts them back.\n"
        "Example: kvtool --device /dev/ttyUSB0 history\n"
        "Example: kvtool --json history");
    commands.add(history, [](Session& s) {
        const SensorJournal journal = journalOf(s);
        for (auto it = journal.operations.rbegin(); it != journal.operations.rend(); ++it) {
            const kvcom3::JournalRecord& first = it->records.front();
            const char* state = it->done ? "done" : "interrupted";
            if (s.json) {
                s.out << JsonObject()
                             .number("id", it->id)
                             .text("time", first.time)
                             .text("program", first.program)
                             .text("operation", first.operationText)
                             .number("bytes", static_cast<long long>(byteCount(*it)))
                             .text("state", state)
                             .str()
                      << '\n';
            } else {
                s.out << it->id << "  " << first.time << "  " << first.program << "  "
                      << (first.operationText.empty() ? "-" : first.operationText) << "  "
                      << byteCount(*it) << " bytes  " << state << '\n';
            }
        }
    });
}

struct UndoOptions {
    std::optional<std::int64_t> id;
    bool force = false;
};

// The operation ID, or the newest one that is no undo and was not undone yet.
const kvcom3::JournalOperation& chooseOperation(const SensorJournal& journal,
                                                const UndoOptions& o) {
    const kvcom3::JournalOperation* chosen = nullptr;
    if (!o.id) {
        chosen = kvcom3::newestUndoable(journal.operations);
    } else {
        const auto found =
            std::find_if(journal.operations.rbegin(), journal.operations.rend(),
                         [&o](const kvcom3::JournalOperation& op) { return op.id == *o.id; });
        if (found != journal.operations.rend()) chosen = &*found;
    }
    if (chosen) return *chosen;
    kvcom3::raisePlatformError(
        kvcom3::platform_error::InvalidCall,
        (o.id ? "no operation " + std::to_string(*o.id) : std::string("nothing to undo")) + " in " +
            journal.file.string());
}

void addUndo(CLI::App& app, CommandList& commands) {
    auto o = std::make_shared<UndoOptions>();
    auto* undo = app.add_subcommand(
        "undo",
        "Put back the EEPROM bytes of the newest operation that is no undo and was not undone "
        "(or of ID), after checking that each still holds a value the operation found or wrote");
    undo->add_option("ID", o->id, "Operation id from 'kvtool history'");
    undo->add_flag("--force", o->force,
                   "Write the old bytes even where the sensor holds something else since");
    undo->footer(
        "Without ID the newest operation that is no undo and was not undone is taken, so undo "
        "after undo goes further back. Bytes changed since are listed on stderr and nothing is "
        "written unless --force. The undo is journaled as \"undo ID\".\n"
        "Example: kvtool --device /dev/ttyUSB0 undo\n"
        "Example: kvtool --device /dev/ttyUSB0 undo 12 --force");
    commands.add(undo, [o](Session& s) {
        const SensorJournal journal = journalOf(s);
        const kvcom3::JournalOperation& op = chooseOperation(journal, *o);
        kvcom3::requireSameSensor(op, journal.sensor);
        kvcom3::setJournalOperation(kvcom3::undoOperationText(op.id));
        const kvcom3::JournalUndo result =
            kvcom3::undoJournalOperation(*s.sensor->AdressLevel(), op, o->force);
        for (const auto& c : result.conflicts)
            std::cerr << "kvtool: EEPROM " << c.address << " holds " << int{c.now} << ", operation "
                      << op.id << " left " << int{c.left} << '\n';
        if (!result.conflicts.empty() && !o->force)
            throw std::runtime_error(std::to_string(result.conflicts.size()) +
                                     " bytes changed since operation " + std::to_string(op.id) +
                                     "; nothing written (--force writes the old bytes anyway)");
        if (s.json)
            s.out << JsonObject()
                         .number("undone", op.id)
                         .number("bytes", static_cast<long long>(result.restored))
                         .str()
                  << '\n';
        else
            s.out << "operation " << op.id << " undone: " << result.restored << " bytes put back\n";
    });
}

}  // namespace

void addJournalCommands(CLI::App& app, CommandList& commands) {
    addHistory(app, commands);
    addUndo(app, commands);
}

}  // namespace kvtool
