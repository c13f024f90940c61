#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kvcom3 {

class clsAdressLevel;

// The EEPROM change journal. Once turned on, every EEPROM write of the process first appends a
// record of the bytes it changes (old and new values, the sensor, the time, the program and the
// operation) to the sensor's journal file and waits until it is on the disk; only then does the
// first byte go out. After the last block is verified a small record marks the write done. A
// journal that cannot be written stops the write before anything is sent: 70 "Permission
// denied" or 75 "Path/File access error", naming the path. The bytes on the wire stay the same;
// the journal only reads first what the image does not know yet (old values, the sensor's
// identity). Platform 5 keeps no EEPROM of its own through these writes and has no journal.

// $KVSENSOR_JOURNAL_DIR, else $XDG_STATE_HOME/kvsensor/journal, else
// ~/.local/state/kvsensor/journal. Nothing is created here.
std::filesystem::path defaultJournalDirectory();

// Turns the journal on for the whole process; `program` goes into every record. The directory is
// created with the first record.
void enableJournal(std::string program,
                   std::filesystem::path directory = defaultJournalDirectory());
void disableJournal();
bool journalEnabled();
// Names what the following writes do ("poke", "set eaTable0_0", "calibrate cpX"). Every call
// starts a new operation: the writes under one name form one entry of history and undo.
void setJournalOperation(std::string text);

// Where the process's last journaled write went: its file and the id of its operation; nothing
// before the first record. A program that sees a write fail part-way finds the operation here
// to put its bytes back.
struct JournalPlace {
    std::filesystem::path file;
    std::int64_t operation = 0;
};
std::optional<JournalPlace> lastJournalOperation();

// The sensor a journal file belongs to.
struct JournalSensor {
    int platform = 0;
    int part = 0;
    std::int64_t serial = 0;
    std::int32_t eepromSize = 0;

    bool operator==(const JournalSensor&) const = default;
};

// One EEPROM byte a write changes.
struct JournalByte {
    std::int32_t address = 0;
    std::uint8_t before = 0;
    std::uint8_t after = 0;
};

// One write as the journal holds it.
struct JournalRecord {
    std::int64_t id = 0;
    // The id of the first record of the operation this write belongs to.
    std::int64_t operation = 0;
    std::string time;  // UTC, ISO 8601 with milliseconds
    std::string program;
    std::string operationText;
    JournalSensor sensor;
    std::vector<JournalByte> bytes;
    bool done = false;
};

// The writes of one operation, oldest first; done when every write was marked done.
struct JournalOperation {
    std::int64_t id = 0;
    std::vector<JournalRecord> records;
    bool done = false;

    // Each address once: `before` as the first write found it, `after` as the last one left it.
    std::vector<JournalByte> changes() const;
};

struct JournalContents {
    std::vector<JournalRecord> records;  // in file order
    std::size_t damaged = 0;             // lines skipped: torn or failing their checksum
};

// The journal file of a sensor in `directory`.
std::filesystem::path journalFile(const std::filesystem::path& directory,
                                  const JournalSensor& sensor);
// The connected sensor as the journal names it, read through the level where the image lacks
// it; the level's errors.
JournalSensor journalSensor(clsAdressLevel& level);
// Every intact record of a file (a missing file has none); 70 or 75 naming the path when it
// cannot be read.
JournalContents readJournal(const std::filesystem::path& file);
// The records grouped into operations, oldest first.
std::vector<JournalOperation> journalOperations(const JournalContents& contents);

// The operation text an undo of operation `id` is journaled under: "undo ID".
std::string undoOperationText(std::int64_t id);
// The operation a done undo put back; nothing for any other operation.
std::optional<std::int64_t> undoneOperation(const JournalOperation& operation);
// The newest operation that is no undo and was not undone yet, so undo after undo goes further
// back; null when there is none.
const JournalOperation* newestUndoable(const std::vector<JournalOperation>& operations);
// 5 when `operation` was made on a sensor of another platform or size than `sensor`.
void requireSameSensor(const JournalOperation& operation, const JournalSensor& sensor);

// A byte an undo found holding neither a value its operation found there nor one it wrote.
struct JournalConflict {
    std::int32_t address = 0;
    std::uint8_t left = 0;  // what the operation left there
    std::uint8_t now = 0;   // what the sensor holds
};

struct JournalUndo {
    std::vector<JournalConflict> conflicts;
    std::size_t restored = 0;  // bytes written back
};

// Puts back the bytes an operation changed, through the level's normal EEPROM write (so the
// undo is journaled too, under the operation text the caller set). The bytes are read from the
// sensor first: each must hold a value the operation found or wrote (a write cut short leaves
// some of each). With conflicts nothing is written unless `force`. Bytes already back are not
// written again. The level's errors.
JournalUndo undoJournalOperation(clsAdressLevel& level, const JournalOperation& operation,
                                 bool force);

// What a program's one try to put back the bytes of its failed operation did.
struct JournalRollBack {
    enum class Result {
        Nothing,    // no write of the operation was journaled
        Restored,   // the bytes are back as they were
        Conflicts,  // bytes changed meanwhile: nothing written
        Failed,     // the sensor did not take the undo either
    };
    Result result = Result::Nothing;
    std::int64_t operation = 0;
    std::size_t restored = 0;
    std::size_t conflicts = 0;
    std::string error;  // Failed: "error N: description"

    // One sentence for the user, empty for Nothing; unless the bytes are back it names
    // `kvtool undo ID`, which puts them back later.
    std::string message() const;
};

// After an operation failed: puts back, once, the bytes of the process's last journaled
// operation (the undo journaled as "undo ID"). Errors of the sensor or the journal come back as
// Failed, never thrown: the caller is already handling the first failure.
JournalRollBack rollBackLastOperation(clsAdressLevel& level);

}  // namespace kvcom3
