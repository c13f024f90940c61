#pragma once

#include <memory>
#include <string>

#include "kvcom3/clsArrayLevel.h"
#include "kvcom3/kvArrayNode.h"
#include "objects/CellReader.h"

namespace kvcom3::objects {

// The library-wide memory map (gArrayLevel); 91 "Object variable not set" when the facade has
// installed none.
clsArrayLevel& currentArrayLevel();

// The cell `key` of the current memory map; 1110 "Object not found" when the map has none.
std::shared_ptr<kvArrayNode> mapCell(const std::string& key);

// Auxiliary cells of the current map, read from the memory image without forcing.
CellReader imageCells();

}  // namespace kvcom3::objects
