#pragma once

#include <QSet>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

#include "kvcom3/ISensMem.h"
#include "kvcom3/kvObjectNode.h"

// The cells behind several objects read together: neighbouring and overlapping cells of one
// memory go out as one read, so each byte crosses the line once, however many objects show it.
class CellRuns {
  public:
    // Looks up where the map puts each object's cell; a key it does not know is left to the
    // object's own read, which shows its error.
    CellRuns(kvcom3::ISensMem& sensor, const std::vector<kvcom3::kvObjectNode*>& nodes);

    // The bytes the runs cover, for progress.
    std::int64_t byteCount() const { return bytes_; }
    // Reads every run. A run that fails is passed over: its cells are then read with their
    // objects, so a bad cell shows its own error. A cancel ends the reading; `checkCancel` runs
    // before each run and `afterRun` gets the bytes read so far.
    void read(const std::function<void()>& checkCancel,
              const std::function<void(std::int64_t)>& afterRun = {});
    // Whether the node's cell came in with a run, so its value needs no read of its own.
    bool fresh(const kvcom3::kvObjectNode& node) const;

    // The cell's key as the runs know it (keys are not case-sensitive).
    static QString cellKey(const kvcom3::kvObjectNode& node);

  private:
    // The bytes of a cell, half-open; for a run, of neighbouring cells of one memory.
    struct Bytes {
        QString key;
        std::uint8_t memory = 0;
        std::int32_t start = 0;
        std::int32_t end = 0;
    };

    kvcom3::ISensMem& sensor_;
    std::vector<Bytes> cells_;
    std::vector<Bytes> runs_;
    std::int64_t bytes_ = 0;
    QSet<QString> fresh_;
};
