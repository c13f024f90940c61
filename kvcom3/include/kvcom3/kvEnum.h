#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "kvcom3/KeyedItems.h"
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
class kvEnums : public KeyedItems<kvEnum> {
  public:
    // Adds the entry lngValue named strName under the key "<lngValue>k" and returns it; 457 when
    // the value is already there (nothing added).
    std::shared_ptr<kvEnum> Add(std::int32_t lngValue, const std::string& strName);

    // Kept for the client; nothing in the library reads it.
    bool ADSTree() const { return adsTree_; }
    void LetADSTree(bool value) { adsTree_ = value; }

  private:
    bool adsTree_ = false;
};

}  // namespace kvcom3
