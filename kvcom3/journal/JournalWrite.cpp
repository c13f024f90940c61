#include "journal/JournalWrite.h"

#include <optional>
#include <set>
#include <vector>

#include "journal/JournalFile.h"
#include "journal/JournalState.h"
#include "kvcom3/Journal.h"
#include "kvcom3/UtcTime.h"
#include "kvcom3/clsAdressLevel.h"
#include "link/MemoryImage.h"
#include "link/SensorIdentity.h"
#include "link/WriteSelection.h"

namespace kvcom3 {

namespace {

// The addresses the write will send: those it selects and, where EEPROM goes by words, the
// other byte of each word, which goes out with the value the image holds for it.
std::set<std::int32_t> addressesSent(const MemoryImage& image, std::int32_t start,
                                     std::int32_t count, bool all, bool masked, bool words) {
    std::set<std::int32_t> sent;
    for (std::int32_t adr = start; adr < start + count; ++adr) {
        if (!isToBeWritten(image.find(adr, kvEEPROM), all, masked)) continue;
        sent.insert(adr);
        const clsAdress* partner = image.find(adr ^ 1, kvEEPROM);
        if (words && partner != nullptr && partner->GotValueP) sent.insert(adr ^ 1);
    }
    return sent;
}

// What the image knew of the write's addresses and their word partners before the journal's
// reads (the sensor's identity, the old values), which bring whole words along: the values the
// program set are the new bytes of the record, and the write chooses its bytes by what it knew
// (a byte whose sensor value is known and equal is not sent), so it goes back once the old
// values are recorded, and the wire stays as it would be.
class KnownBefore {
  public:
    KnownBefore(MemoryImage& image, std::int32_t start, std::int32_t count) : image_(image) {
        for (std::int32_t adr = start - 1; adr <= start + count; ++adr) {
            const clsAdress* r = image.find(adr, kvEEPROM);
            known_.push_back({adr, r != nullptr ? std::optional<clsAdress>(*r) : std::nullopt});
        }
    }
    // The value the program set for `adr`, if any.
    std::optional<std::uint8_t> pending(std::int32_t adr) const {
        // The addresses run on from start - 1 without a gap.
        const auto at = static_cast<std::size_t>(adr - known_.front().first);
        if (at >= known_.size()) return std::nullopt;
        const auto& record = known_[at].second;
        if (!record || !record->GotValueP) return std::nullopt;
        return record->Value;
    }
    void restore() {
        for (const auto& [adr, record] : known_) {
            clsAdress* r = image_.find(adr, kvEEPROM);
            if (r == nullptr) continue;
            if (record) {
                *r = *record;
            } else {
                r->GotValueS = false;
                r->GotValueP = false;
            }
        }
    }

  private:
    MemoryImage& image_;
    std::vector<std::pair<std::int32_t, std::optional<clsAdress>>> known_;
};

// Reads the sensor's values of the addresses the image has none for.
void readOldValues(clsAdressLevel& level, MemoryImage& image, const std::set<std::int32_t>& sent) {
    std::vector<std::int32_t> unknown;
    for (std::int32_t adr : sent) {
        const clsAdress* r = image.find(adr, kvEEPROM);
        if (r == nullptr || !r->GotValueS) unknown.push_back(adr);
    }
    for (std::size_t i = 0; i < unknown.size();) {
        std::size_t j = i + 1;
        while (j < unknown.size() && unknown[j] == unknown[j - 1] + 1) ++j;
        level.ReadFromSensor(unknown[i], unknown[j - 1] - unknown[i] + 1, kvEEPROM,
                             kvReadFromSensor);
        i = j;
    }
}

}  // namespace

JournalWrite JournalWrite::begin(clsAdressLevel& level, MemoryImage& image, std::int32_t start,
                                 std::int32_t count, std::uint8_t memType, bool all, bool masked,
                                 std::uint8_t platform) {
    JournalWrite write;
    JournalSettings& s = journalSettings();
    if (!s.on || memType != kvEEPROM || platform == 5) return write;
    const auto sent =
        addressesSent(image, start, count, all, masked, !isByteAccessPlatform(platform));
    if (sent.empty()) return write;

    JournalLine line;
    JournalRecord& record = line.record;
    KnownBefore known(image, start, count);
    record.sensor = journalSensor(level);
    readOldValues(level, image, sent);
    for (std::int32_t adr : sent) {
        const clsAdress* r = image.find(adr, kvEEPROM);
        const auto value = known.pending(adr);
        if (r != nullptr && r->GotValueS && value && r->SensorValue != *value)
            record.bytes.push_back({adr, r->SensorValue, *value});
    }
    known.restore();
    if (record.bytes.empty()) return write;

    const auto file = journalFile(s.directory, record.sensor);
    if (s.operationId && s.operationFile == file) record.operation = *s.operationId;
    record.time = utcTimestamp();
    record.program = s.program;
    record.operationText = s.operation;
    write.id_ = appendJournalLine(file, line);
    write.file_ = file;
    s.operationFile = file;
    s.operationId = record.operation;
    return write;
}

void JournalWrite::done() {
    if (file_.empty()) return;
    JournalLine line;
    line.kind = JournalLine::Kind::Done;
    line.of = id_;
    line.record.time = utcTimestamp();
    // Not synced: a mark lost in a crash shows a finished write as interrupted, and undo takes
    // either; the write itself waits for one sync only.
    appendJournalLine(file_, line, false);
}

}  // namespace kvcom3
