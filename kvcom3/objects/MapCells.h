#pragma once

#include <memory>
#include <string>

#include "kvcom3/kvArrayNode.h"
#include "objects/CellReader.h"

namespace kvcom3::objects {

// The cell `key` of the current memory map (gArrayLevel); 1110 "Object not found" when there is
// no map or the map has no such cell.
std::shared_ptr<kvArrayNode> mapCell(const std::string& key);

// Auxiliary cells of the current map, read from the memory image without forcing.
CellReader imageCells();

}  // namespace kvcom3::objects
