#pragma once

#include <memory>
#include <string>

#include "kvcom3/KeyedItems.h"

namespace kvcal3 {

// The catalogue's collections: items in insertion order, 1-based positions, keys without regard
// to letter case. Add uses the name as the key when the key is empty; a duplicate key raises 457
// and adds nothing.
template <class T>
class kvCalItems : public kvcom3::KeyedItems<T> {
  public:
    // Creates an item named strName under strKey (the name when empty) and returns it; 457 for
    // a key already present.
    std::shared_ptr<T> Add(const std::string& strName, const std::string& strKey = {}) {
        auto item = std::make_shared<T>();
        item->Name = strName;
        item->Key = strKey.empty() ? strName : strKey;
        this->addItem(item, item->Key);
        return item;
    }
};

}  // namespace kvcal3
