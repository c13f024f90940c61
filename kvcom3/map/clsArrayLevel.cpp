// The map level: generation once per sensor and the look-up of cells by key.
#include "kvcom3/clsArrayLevel.h"

#include "kvcom3/KvError.h"

#include "facade/clsErrors.h"
#include "map/CurrentAdressLevel.h"
#include "map/KeyIndex.h"
#include "map/MapBuilders.h"
#include "map/MapRevision.h"

namespace kvcom3 {

struct clsArrayLevel::Impl {
    std::shared_ptr<kvArrayNodes> nodes = std::make_shared<kvArrayNodes>();
    bool generated = false;
    // While the builders run the tree grows between their look-ups, so they walk it instead of
    // indexing it again after every cell.
    bool building = false;
    KeyIndex index;
};

clsArrayLevel::clsArrayLevel() : d_(std::make_unique<Impl>()) {}

clsArrayLevel::~clsArrayLevel() = default;

void clsArrayLevel::Clear() {
    d_->nodes.reset();
    d_->generated = false;
    d_->index.reset();
    bumpMapRevision();
}

std::shared_ptr<kvArrayNodes> clsArrayLevel::Nodes() {
    Generate();
    if (!d_->nodes) d_->nodes = std::make_shared<kvArrayNodes>();
    return d_->nodes;
}

void clsArrayLevel::SetNodes(std::shared_ptr<kvArrayNodes> nodes) {
    d_->nodes = std::move(nodes);
    bumpMapRevision();
}

std::shared_ptr<kvArrayNode> clsArrayLevel::GetNode(std::string_view strKey,
                                                    std::string& strParent) {
    Generate();
    if (d_->building) return walkWhileBuilding(strKey, strParent);
    const std::shared_ptr<kvArrayNode>* found = nullptr;
    if (d_->nodes) {
        if (!d_->index.validFor(d_->nodes.get())) d_->index.build(d_->nodes);
        found = d_->index.find(strKey, strParent);
    }
    // Nothing with a destructor is alive here, so a miss unwinds straight to the caller.
    if (found == nullptr) throw clsErrors().Error(errObjectNotFound);
    return *found;
}

std::shared_ptr<kvArrayNode> clsArrayLevel::walkWhileBuilding(std::string_view strKey,
                                                              std::string& strParent) {
    std::shared_ptr<kvArrayNode> found;
    if (d_->nodes) found = walkForKey(*d_->nodes, strKey, strParent);
    if (!found) clsErrors().Raise(errObjectNotFound);
    return found;
}

std::shared_ptr<kvArrayNode> clsArrayLevel::GetNode(std::string_view strKey) {
    std::string parent;
    return GetNode(strKey, parent);
}

void clsArrayLevel::Generate() {
    if (d_->generated) return;
    d_->generated = true;
    struct Building {
        bool& flag;
        explicit Building(bool& f) : flag(f) { flag = true; }
        ~Building() { flag = false; }
    } building(d_->building);
    // The builders hold the root by reference while the reads they make raise events; a handler
    // that clears or replaces the map then must not free it under them.
    const std::shared_ptr<kvArrayNodes> root = Nodes();

    clsAdressLevel& adr = currentAdressLevel();
    const std::uint8_t platform = adr.Platform();
    switch (platform) {
        case 5: buildPlatform5Map(*root); break;
        case 7:
        case 8: {
            // The base-address block and the four words the builders read near the start of
            // EEPROM, fetched in few transfers before the cells read them one by one.
            adr.ReadFromSensor(65520, 12, kvEEPROM, kvAutoReadFromSensor);
            for (std::int32_t start : {63488, 63496, 63504, 63512})
                adr.ReadFromSensor(start, 6, kvEEPROM, kvAutoReadFromSensor);
            const bool full = platform == 8 || adr.IsFlashProc();
            buildMap78(*root, adr, full);
            break;
        }
        default: break;
    }
}

}  // namespace kvcom3
