#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "kvcom3/kvArrayNode.h"

namespace kvcom3 {

// The memory map of the connected sensor: a tree of named cells generated once, on first use,
// for the sensor's platform. Generation reads the platform, base addresses, menu layout and
// logger sizes through the current address level (gAdressLevel), so it may reach the sensor;
// its errors (1100 "No connection established" without an address level, 1205 "Unknown
// Product", 1207, the transfer errors) reach the caller of Nodes, GetNode or Generate unchanged
// and leave the map partly built until Clear. Platforms 5, 7 and 8 have a map; 6 and 61 an empty
// one.
class clsArrayLevel : public VariantObject {
  public:
    clsArrayLevel();
    ~clsArrayLevel() override;
    clsArrayLevel(const clsArrayLevel&) = delete;
    clsArrayLevel& operator=(const clsArrayLevel&) = delete;

    // Drops the map; the next access generates it again. No errors. Called from an event handler
    // while the map is being generated, the build finishes into the dropped collection.
    void Clear();
    // The root collection, generated first; an empty one after Clear until the next build.
    std::shared_ptr<kvArrayNodes> Nodes();
    // Replaces the root collection; a map not yet generated is later built into it, one being
    // generated goes on into the collection it started with. No errors.
    void SetNodes(std::shared_ptr<kvArrayNodes> nodes);
    // The first node in depth-first pre-order whose key matches without regard to case; 1110
    // "Object not found" when none does. strParent receives the key of the node visited just
    // before the match (unchanged when the match is the first node; the last node's key when
    // nothing matches).
    std::shared_ptr<kvArrayNode> GetNode(std::string_view strKey, std::string& strParent);
    std::shared_ptr<kvArrayNode> GetNode(std::string_view strKey);
    // Builds the map once; later calls do nothing until Clear.
    void Generate();

  private:
    std::shared_ptr<kvArrayNode> walkWhileBuilding(std::string_view strKey, std::string& strParent);

    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace kvcom3
