#pragma once

#include <concepts>
#include <memory>
#include <string_view>
#include <utility>

#include "kvcom3/Collection.h"
#include "kvcom3/Variant.h"

namespace kvcom3 {

// The members every public collection of shared objects shows its callers, over a Collection:
// Item by position or key, Count, Remove and enumeration in insertion order (NewEnum). The class
// deriving from it adds its own Add, which builds the item and decides its key.
template <class T>
class KeyedItems : public VariantObject {
  public:
    using const_iterator = typename Collection<std::shared_ptr<T>>::const_iterator;

    // The item at position 1 ... Count or under a key; 5 when there is none.
    const std::shared_ptr<T>& Item(long index) const { return items_.Item(index); }
    const std::shared_ptr<T>& Item(std::string_view key) const { return items_.Item(key); }
    // vntIndexKey: a number is a position, a text a key. A template, so that a plain text
    // argument picks the key overload instead of being ambiguous with it.
    template <std::same_as<Variant> V>
    const std::shared_ptr<T>& Item(const V& vntIndexKey) const {
        return items_.Item(vntIndexKey);
    }
    long Count() const noexcept { return items_.Count(); }
    // Removes the item at a position or under a key; 5 when there is none.
    void Remove(long index) { items_.Remove(index); }
    void Remove(std::string_view key) { items_.Remove(key); }
    template <std::same_as<Variant> V>
    void Remove(const V& vntIndexKey) {
        items_.Remove(vntIndexKey);
    }

    // Enumeration in insertion order (NewEnum).
    const_iterator begin() const noexcept { return items_.begin(); }
    const_iterator end() const noexcept { return items_.end(); }

  protected:
    // Appends the item under `key`; 457 for a key already present (nothing added).
    void addItem(std::shared_ptr<T> item, std::string_view key) {
        items_.Add(std::move(item), key);
    }

  private:
    Collection<std::shared_ptr<T>> items_;
};

}  // namespace kvcom3
