#pragma once

#include <concepts>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "kvcom3/Collection.h"
#include "kvcom3/Enums.h"
#include "kvcom3/Variant.h"

namespace kvcom3 {

class kvArrayNodes;

// A named cell of the sensor's memory: an address in one memory type, a size of 1-3 bytes (0 for
// a group), a byte order and an optional bit mask, with child cells below it. The node keeps no
// value of its own: Value, Mask and FileLock go to the current address level (gAdressLevel), so
// a node outlives a reconnection and then addresses the new sensor.
//
// Properties: `Name()` reads, `LetName(value)` writes, `SetNodes(object)` replaces an object.
// The attribute properties only store and raise nothing. Value, Mask and FileLock raise 1100 "No
// connection established" while there is no current address level, and the address level's
// errors unchanged (see clsAdressLevel).
class kvArrayNode : public VariantObject {
  public:
    kvArrayNode();
    ~kvArrayNode() override;
    kvArrayNode(const kvArrayNode&) = delete;
    kvArrayNode& operator=(const kvArrayNode&) = delete;

    // The children; never null unless SetNodes(nullptr) was called.
    const std::shared_ptr<kvArrayNodes>& Nodes() const { return nodes_; }
    void SetNodes(std::shared_ptr<kvArrayNodes> nodes);

    // The cell's name, address, size in bytes (0 for a group), kvMemTypes, kvByteOrders and bit
    // mask (0: the whole cell).
    const std::string& Name() const { return name_; }
    void LetName(std::string value) { name_ = std::move(value); }
    std::int32_t Adr() const { return adr_; }
    void LetAdr(std::int32_t value) { adr_ = value; }
    std::int32_t NrOfBytes() const { return nrOfBytes_; }
    void LetNrOfBytes(std::int32_t value) { nrOfBytes_ = value; }
    std::uint8_t MemType() const { return memType_; }
    void LetMemType(std::uint8_t value) { memType_ = value; }
    std::uint8_t ByteOrder() const { return byteOrder_; }
    void LetByteOrder(std::uint8_t value) { byteOrder_ = value; }
    std::int32_t AdrMask() const { return adrMask_; }
    void LetAdrMask(std::int32_t value) { adrMask_ = value; }
    // The key the map finds the cell by. Changing it does not re-key the collection holding the
    // node.
    const std::string& Key() const { return key_; }
    void LetKey(std::string value);
    // Free for the caller; the library never reads it.
    const Variant& Tag() const { return tag_; }
    void LetTag(Variant value) { tag_ = std::move(value); }

    // The cell's value through the address level (which reads the sensor when the image lacks
    // it or when forced); 1105 "No value" on a group node.
    std::int32_t Value(bool blnForce = false) const;
    // Writes the value into the image (and at once to the sensor when forced); 1106 "This
    // parameter can not be changed" on a group, 1109 when it does not fit the mask (negative
    // included), 6 "Overflow" when it is negative or too big for the cell's bytes. A refused
    // value changes nothing and sends nothing.
    void LetValue(bool blnForce, std::int32_t value) const;
    void LetValue(std::int32_t value) const { LetValue(false, value); }

    // The state of the cell's bits: Boolean True when all are set, False when none, else the
    // number AdrMask AND the combined state; Empty for a group node; 1107 "This parameter can
    // not be masked" for a cell of four or more bytes.
    Variant Mask() const;
    // True sets the cell's bits, False clears them, a number sets them as in the number; 1107
    // for a group node or a cell of four or more bytes, 13 or 6 for a value that is no 32-bit
    // number.
    void LetMask(const Variant& value) const;
    // The cell's file-lock state, read and set as Mask.
    Variant FileLock() const;
    void LetFileLock(const Variant& value) const;

  private:
    std::shared_ptr<kvArrayNodes> nodes_;
    std::string name_;
    std::int32_t adr_ = 0;
    std::int32_t nrOfBytes_ = 0;
    std::uint8_t memType_ = kvRAM;
    std::uint8_t byteOrder_ = kvLSByteAtHighAdress;
    std::int32_t adrMask_ = 0;
    std::string key_;
    Variant tag_;
};

// The children of a node, or the roots of the map: nodes in insertion order, positions from 1,
// keys compared without regard to case. A duplicate key raises 457, a missing item 5.
class kvArrayNodes : public VariantObject {
  public:
    using const_iterator = Collection<std::shared_ptr<kvArrayNode>>::const_iterator;

    kvArrayNodes() = default;
    kvArrayNodes(const kvArrayNodes&) = delete;
    kvArrayNodes& operator=(const kvArrayNodes&) = delete;

    // Builds a node and adds it. A negative address counts back from 65536; an EEPROM address
    // keeps only the bits below the EEPROM size (which may read the size from the sensor). An
    // empty key is derived from the memory type and the name (see DerivedKey). The node's Adr
    // and Key are the address and key as stored. 457 for a key already present (nothing added),
    // 6 for a derived key of a name of 255 or more characters, and for EEPROM the errors of the
    // size read (1100 without an address level, 1205, 1207, transfer errors).
    std::shared_ptr<kvArrayNode> Add(const std::string& strName, std::int32_t lngAdr = 0,
                                     std::int32_t lngNrOfBytes = 0,
                                     std::uint8_t bteMemType = kvEEPROM,
                                     std::uint8_t bteByteOrder = kvLSByteAtHighAdress,
                                     std::int32_t lngMask = 0, std::string_view strKey = {});

    // The node at position 1 ... Count or under a key; 5 when there is none.
    const std::shared_ptr<kvArrayNode>& Item(long index) const { return items_.Item(index); }
    const std::shared_ptr<kvArrayNode>& Item(std::string_view key) const {
        return items_.Item(key);
    }
    // vntIndexKey: a number is a position, a text a key.
    template <std::same_as<Variant> V>
    const std::shared_ptr<kvArrayNode>& Item(const V& vntIndexKey) const {
        return items_.Item(vntIndexKey);
    }
    long Count() const noexcept { return items_.Count(); }
    // Removes the node at a position or under a key; 5 when there is none.
    void Remove(long index);
    void Remove(std::string_view key);
    template <std::same_as<Variant> V>
    void Remove(const V& vntIndexKey) {
        RemoveAt(vntIndexKey);
    }

    // Enumeration in insertion order (NewEnum).
    const_iterator begin() const noexcept { return items_.begin(); }
    const_iterator end() const noexcept { return items_.end(); }

  private:
    void RemoveAt(const Variant& vntIndexKey);

    Collection<std::shared_ptr<kvArrayNode>> items_;
};

// The key Add derives: "ra", "ea", "fl", "mi" or "mh" by memory type (none for coils and
// discrete inputs) followed by the name with every blank made "_". Names of 255 or more
// characters raise Overflow (6).
std::string DerivedKey(std::string_view strName, std::uint8_t bteMemType);

}  // namespace kvcom3
