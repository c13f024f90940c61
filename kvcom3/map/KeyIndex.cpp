#include "map/KeyIndex.h"

#include "map/MapRevision.h"
#include "map/PreOrder.h"

namespace kvcom3 {

bool KeyIndex::validFor(const kvArrayNodes* root) const {
    return root_ != nullptr && root == root_ && !rootAlive_.expired() && revision_ == mapRevision();
}

void KeyIndex::reset() {
    root_ = nullptr;
    rootAlive_.reset();
    order_.clear();
    first_.clear();
}

void KeyIndex::build(const std::shared_ptr<kvArrayNodes>& root) {
    reset();
    walkPreOrder(*root, [this](const std::shared_ptr<kvArrayNode>& node) {
        first_.try_emplace(node->Key(), order_.size());
        order_.push_back(node);
        return false;
    });
    root_ = root.get();
    rootAlive_ = root;
    revision_ = mapRevision();
}

const std::shared_ptr<kvArrayNode>* KeyIndex::find(std::string_view key,
                                                   std::string& strParent) const {
    const auto it = first_.find(key);
    if (it == first_.end()) {
        if (!order_.empty()) strParent = order_.back()->Key();
        return nullptr;
    }
    if (it->second > 0) strParent = order_[it->second - 1]->Key();
    return &order_[it->second];
}

std::shared_ptr<kvArrayNode> walkForKey(const kvArrayNodes& root, std::string_view key,
                                        std::string& strParent) {
    const collection_detail::KeyEqual same;
    std::shared_ptr<kvArrayNode> found;
    walkPreOrder(root, [&](const std::shared_ptr<kvArrayNode>& node) {
        if (same(node->Key(), key)) {
            found = node;
            return true;
        }
        strParent = node->Key();
        return false;
    });
    return found;
}

}  // namespace kvcom3
