#include "objects/MapCells.h"

#include "facade/LibraryState.h"
#include "facade/clsErrors.h"
#include "kvcom3/clsArrayLevel.h"

namespace kvcom3::objects {

std::shared_ptr<kvArrayNode> mapCell(const std::string& key) {
    const std::shared_ptr<clsArrayLevel> map = gArrayLevel;
    if (!map) clsErrors().Raise(errObjectNotFound);
    return map->GetNode(key);
}

CellReader imageCells() {
    return [](const std::string& key) { return mapCell(key)->Value(false); };
}

}  // namespace kvcom3::objects
