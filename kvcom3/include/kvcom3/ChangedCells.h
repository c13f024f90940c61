#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "kvcom3/ISensMem.h"
#include "kvcom3/kvArrayNode.h"

namespace kvcom3 {

// An EEPROM cell of the memory map that an operation changed.
struct ChangedCell {
    std::shared_ptr<kvArrayNode> cell;
    std::int32_t before = 0;
    std::int32_t after = 0;
};

// Without the journal: the whole EEPROM is read first, so that every cell a later operation
// writes has a value before and after to compare, without one transfer per cell. The level's
// errors.
std::vector<ChangedCell> eepromSnapshot(ISensMem& sensor);
// The cells of the snapshot whose value in the image differs now.
std::vector<ChangedCell> changedSince(std::vector<ChangedCell> snapshot);

// With the journal: the cells the process's last journaled operation changed, with the values
// it found and left, taken from the journal's record of its writes; nothing without one. 70 or
// 75 when the journal cannot be read.
std::vector<ChangedCell> changedByLastOperation(ISensMem& sensor);

}  // namespace kvcom3
