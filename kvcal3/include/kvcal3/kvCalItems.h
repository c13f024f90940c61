#pragma once

#include <concepts>
#include <memory>
#include <string>
#include <string_view>

#include "kvcom3/Collection.h"
#include "kvcom3/Variant.h"

namespace kvcal3 {

// The catalogue's collections: items in insertion order, 1-based positions, keys without regard
// to letter case. Add uses the name as the key when the key is empty; a duplicate key raises 457
// and adds nothing.
template <class T>
class kvCalItems : public kvcom3::VariantObject {
  public:
    // Creates an item named strName under strKey (the name when empty) and returns it; 457 for
    // a key already present.
    std::shared_ptr<T> Add(const std::string& strName, const std::string& strKey = {}) {
        auto item = std::make_shared<T>();
        item->Name = strName;
        item->Key = strKey.empty() ? strName : strKey;
        items_.Add(item, item->Key);
        return item;
    }
    // The item at position 1 ... Count or under a key; 5 when there is none.
    std::shared_ptr<T> Item(long index) const { return items_.Item(index); }
    std::shared_ptr<T> Item(std::string_view key) const { return items_.Item(key); }
    // vntIndexKey: a number is a position, a text a key. A template, so that a plain text
    // argument picks the key overload instead of being ambiguous with it.
    template <std::same_as<kvcom3::Variant> V>
    std::shared_ptr<T> Item(const V& vntIndexKey) const {
        return items_.Item(vntIndexKey);
    }
    long Count() const { return items_.Count(); }
    // Removes the item at a position or under a key; 5 when there is none.
    void Remove(long index) { items_.Remove(index); }
    void Remove(std::string_view key) { items_.Remove(key); }
    template <std::same_as<kvcom3::Variant> V>
    void Remove(const V& vntIndexKey) {
        items_.Remove(vntIndexKey);
    }
    // Enumeration in insertion order (NewEnum).
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

  private:
    kvcom3::Collection<std::shared_ptr<T>> items_;
};

}  // namespace kvcal3
