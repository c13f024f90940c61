#include "CellRuns.h"

#include <algorithm>
#include <optional>
#include <tuple>

#include "kvcom3/Enums.h"
#include "kvcom3/KvError.h"
#include "kvcom3/clsAdressLevel.h"
#include "kvcom3/clsArrayLevel.h"
#include "kvcom3/kvArrayNode.h"

namespace {

constexpr std::int32_t kCancelled = 32755;

}  // namespace

QString CellRuns::cellKey(const kvcom3::kvObjectNode& node) {
    return QString::fromStdString(node.ArrayNodeKey()).toLower();
}

CellRuns::CellRuns(kvcom3::ISensMem& sensor, const std::vector<kvcom3::kvObjectNode*>& nodes)
    : sensor_(sensor) {
    QSet<QString> known;
    for (const kvcom3::kvObjectNode* node : nodes) {
        const QString key = cellKey(*node);
        if (known.contains(key)) continue;
        known.insert(key);
        try {
            const auto cell = sensor.ArrayLevel()->GetNode(node->ArrayNodeKey());
            if (cell->NrOfBytes() <= 0) continue;
            // EEPROM addresses wrap at its size, so that two names of one byte join.
            std::int32_t start = cell->Adr();
            if (cell->MemType() == kvcom3::kvEEPROM) {
                const std::int32_t size = sensor.MemSize(kvcom3::enmEEPROM);
                if (size > 0) start &= size - 1;
            }
            cells_.push_back({key, cell->MemType(), start, start + cell->NrOfBytes()});
        } catch (const kvcom3::KvError& e) {
            if (e.number() == kCancelled) throw;
        }
    }
    // Overlapping and adjoining cells of one memory joined; bytes no cell covers are never read.
    std::vector<Bytes> sorted = cells_;
    std::sort(sorted.begin(), sorted.end(), [](const Bytes& a, const Bytes& b) {
        return std::tie(a.memory, a.start) < std::tie(b.memory, b.start);
    });
    for (const Bytes& cell : sorted) {
        if (!runs_.empty() && runs_.back().memory == cell.memory && cell.start <= runs_.back().end)
            runs_.back().end = std::max(runs_.back().end, cell.end);
        else
            runs_.push_back(cell);
    }
    for (const Bytes& run : runs_) bytes_ += run.end - run.start;
}

void CellRuns::read(const std::function<void()>& checkCancel,
                    const std::function<void(std::int64_t)>& afterRun) {
    std::int64_t done = 0;
    for (const Bytes& run : runs_) {
        checkCancel();
        try {
            sensor_.AdressLevel()->ReadFromSensor(run.start, run.end - run.start, run.memory,
                                                  kvcom3::kvReadFromSensor);
            for (const Bytes& cell : cells_)
                if (cell.memory == run.memory && cell.start >= run.start && cell.end <= run.end)
                    fresh_.insert(cell.key);
        } catch (const kvcom3::KvError& e) {
            if (e.number() == kCancelled) throw;
        }
        done += run.end - run.start;
        if (afterRun) afterRun(done);
    }
}

bool CellRuns::fresh(const kvcom3::kvObjectNode& node) const {
    return fresh_.contains(cellKey(node));
}
