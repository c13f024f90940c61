// The EEPROM change journal for scripts: off unless the script turns it on, as in the library.
#include "kvcom3/Journal.h"
#include <filesystem>
#include <optional>
#include <string>

#include "Bindings.h"

namespace kvsensor {

void bindJournal(py::module_& m) {
    m.def(
        "enable_journal",
        [](const std::string& program, std::optional<std::string> directory) {
            const std::filesystem::path where =
                directory ? std::filesystem::path(*directory) : kvcom3::defaultJournalDirectory();
            released([&] { kvcom3::enableJournal(program, where); });
        },
        py::arg("program"), py::arg("directory") = py::none(),
        "Records every EEPROM change on disk before it is sent, in one file per sensor under "
        "directory (default: $KVSENSOR_JOURNAL_DIR, else $XDG_STATE_HOME/kvsensor/journal); "
        "program goes into every record.");
    m.def(
        "disable_journal", [] { released([] { kvcom3::disableJournal(); }); },
        "Stops recording EEPROM changes.");
    m.def(
        "journal_enabled", [] { return released([] { return kvcom3::journalEnabled(); }); },
        "Whether EEPROM changes are recorded.");
    m.def(
        "set_journal_operation",
        [](const std::string& text) { released([&] { kvcom3::setJournalOperation(text); }); },
        py::arg("text"),
        "Names what the following EEPROM writes do; the writes under one name form one operation "
        "of the journal.");
    m.def(
        "default_journal_directory", [] { return kvcom3::defaultJournalDirectory().string(); },
        "Where the journal goes unless enable_journal names a directory.");
}

}  // namespace kvsensor
