#pragma once

#include <concepts>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "kvcom3/Collection.h"
#include "kvcom3/Variant.h"

namespace kvcom3 {

// One named value of an object's enumeration. Value holds the decimal text of the number. The
// properties only store and raise nothing.
class kvEnum : public VariantObject {
  public:
    const std::string& Name() const { return name_; }
    void LetName(std::string value) { name_ = std::move(value); }
    const std::string& Value() const { return value_; }
    void LetValue(std::string value) { value_ = std::move(value); }
    const std::string& Key() const { return key_; }
    void LetKey(std::string value) { key_ = std::move(value); }

  private:
    std::string name_;
    std::string value_;
    std::string key_;
};

// The named values of an object, in the order they were added, keyed by the value's decimal
// text followed by "k" (3 is "3k"), so a value occurs once. A duplicate value raises 457, a
// missing item 5.
class kvEnums : public VariantObject {
  public:
    using const_iterator = Collection<std::shared_ptr<kvEnum>>::const_iterator;

    // Adds the entry lngValue named strName under the key "<lngValue>k" and returns it; 457 when
    // the value is already there (nothing added).
    std::shared_ptr<kvEnum> Add(std::int32_t lngValue, const std::string& strName);

    // The entry at position 1 ... Count or under a key; 5 when there is none.
    const std::shared_ptr<kvEnum>& Item(long index) const { return items_.Item(index); }
    const std::shared_ptr<kvEnum>& Item(std::string_view key) const { return items_.Item(key); }
    // vntIndexKey: a number is a position, a text a key.
    template <std::same_as<Variant> V>
    const std::shared_ptr<kvEnum>& Item(const V& vntIndexKey) const {
        return items_.Item(vntIndexKey);
    }
    long Count() const noexcept { return items_.Count(); }
    // Removes the entry at a position or under a key; 5 when there is none.
    void Remove(long index) { items_.Remove(index); }
    void Remove(std::string_view key) { items_.Remove(key); }
    template <std::same_as<Variant> V>
    void Remove(const V& vntIndexKey) {
        items_.Remove(vntIndexKey);
    }

    // Enumeration in insertion order (NewEnum).
    const_iterator begin() const noexcept { return items_.begin(); }
    const_iterator end() const noexcept { return items_.end(); }

    // Kept for the client; nothing in the library reads it.
    bool ADSTree() const { return adsTree_; }
    void LetADSTree(bool value) { adsTree_ = value; }

  private:
    Collection<std::shared_ptr<kvEnum>> items_;
    bool adsTree_ = false;
};

}  // namespace kvcom3
