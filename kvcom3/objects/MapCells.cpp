#include "objects/MapCells.h"

#include "facade/LibraryState.h"
#include "kvcom3/KvError.h"

namespace kvcom3::objects {

clsArrayLevel& currentArrayLevel() {
    if (!gArrayLevel) raisePlatformError(platform_error::ObjectNotSet, "no memory map");
    return *gArrayLevel;
}

std::shared_ptr<kvArrayNode> mapCell(const std::string& key) {
    return currentArrayLevel().GetNode(key);
}

CellReader imageCells() {
    return [](const std::string& key) { return mapCell(key)->Value(false); };
}

}  // namespace kvcom3::objects
