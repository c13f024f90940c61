#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace kvcom3 {

// The journal's library-wide settings, set by enableJournal() and setJournalOperation().
struct JournalSettings {
    bool on = false;
    std::string program;
    std::filesystem::path directory;
    std::string operation;
    // The operation the process's writes belong to in the file last written: the first write's
    // id. A new operation text, or a write to another sensor's file, starts a new one.
    std::filesystem::path operationFile;
    std::optional<std::int64_t> operationId;
};

JournalSettings& journalSettings();

}  // namespace kvcom3
