// Turning the journal on and naming what the writes do.
#include "journal/JournalState.h"

#include <cstdlib>
#include <utility>

#include "kvcom3/Journal.h"

namespace kvcom3 {

namespace {

std::filesystem::path fromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::filesystem::path(value) : std::filesystem::path();
}

}  // namespace

JournalSettings& journalSettings() {
    static JournalSettings settings;
    return settings;
}

std::filesystem::path defaultJournalDirectory() {
    if (auto own = fromEnvironment("KVSENSOR_JOURNAL_DIR"); !own.empty()) return own;
    // The XDG rules ignore a relative state directory.
    if (auto state = fromEnvironment("XDG_STATE_HOME"); state.is_absolute())
        return state / "kvsensor" / "journal";
    return fromEnvironment("HOME") / ".local" / "state" / "kvsensor" / "journal";
}

void enableJournal(std::string program, std::filesystem::path directory) {
    JournalSettings& s = journalSettings();
    s.on = true;
    s.program = std::move(program);
    s.directory = std::move(directory);
    s.operationId.reset();
}

void disableJournal() {
    journalSettings().on = false;
}

bool journalEnabled() {
    return journalSettings().on;
}

std::optional<JournalPlace> lastJournalOperation() {
    const JournalSettings& s = journalSettings();
    if (!s.operationId) return std::nullopt;
    return JournalPlace{s.operationFile, *s.operationId};
}

void setJournalOperation(std::string text) {
    JournalSettings& s = journalSettings();
    s.operation = std::move(text);
    s.operationId.reset();
}

}  // namespace kvcom3
