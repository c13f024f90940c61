#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "kvcom3/Collection.h"
#include "kvcom3/kvArrayNode.h"

namespace kvcom3 {

// The tree of a map in depth-first pre-order with the position of the first node of each key
// (keys without regard to case), so that a look-up finds the node and the one visited before it
// without walking. Valid for one root while the map revision stands still.
class KeyIndex {
  public:
    bool validFor(const kvArrayNodes* root) const;
    void build(const std::shared_ptr<kvArrayNodes>& root);
    void reset();

    // The node of `key` (null when none) and, through `strParent`, the key of the node before it
    // in pre-order as a walk would leave it. A pointer into the index, so that a caller raising
    // "not found" has nothing to release on the way out.
    const std::shared_ptr<kvArrayNode>* find(std::string_view key, std::string& strParent) const;

  private:
    const kvArrayNodes* root_ = nullptr;
    std::weak_ptr<kvArrayNodes> rootAlive_;
    std::uint64_t revision_ = 0;
    std::vector<std::shared_ptr<kvArrayNode>> order_;
    std::unordered_map<std::string, std::size_t, collection_detail::KeyHash,
                       collection_detail::KeyEqual>
        first_;
};

// The plain walk the index stands for: used while the tree is still growing.
std::shared_ptr<kvArrayNode> walkForKey(const kvArrayNodes& root, std::string_view key,
                                        std::string& strParent);

}  // namespace kvcom3
