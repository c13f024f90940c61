#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "kvcom3/Journal.h"

namespace kvcom3 {

class ISensMem;
class kvArrayNode;

// An EEPROM cell of the memory map that an operation changed, with its value before and after.
struct CellChange {
    std::shared_ptr<kvArrayNode> cell;
    std::int32_t before = 0;
    std::int32_t after = 0;
};

// Tells which EEPROM cells of the map an operation changes. Taken before the operation: with the
// journal on nothing is read, the operation's own records tell afterwards; without it the whole
// EEPROM is read now, so that every cell has a value to compare with, without one transfer per
// cell. The sensor's errors.
class EepromChangeWatch {
  public:
    explicit EepromChangeWatch(ISensMem& sensor);

    // The cells whose value differs now, in map order. With the journal, from the bytes of the
    // process's last journaled operation, when that came after the watch (none when nothing was
    // written since); without, from the image as the operation left it. Reads nothing from the
    // sensor; 70 or 75 when the journal cannot be read.
    std::vector<CellChange> changed() const;

  private:
    ISensMem& sensor_;
    bool journaled_;
    std::optional<JournalPlace> lastBefore_;
    std::vector<CellChange> snapshot_;
};

}  // namespace kvcom3
