#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "kvcom3/KeyedItems.h"
#include "kvcom3/Variant.h"
#include "kvcom3/kvEnum.h"

namespace kvcom3 {

class kvObjectNodes;

// A sensor quantity as the user sees it: a name, a unit and a display format over one cell of
// the memory map (named by ArrayNodeKey), optionally a bit field of it or an enumeration of
// named values. The node holds no value: Value reads and writes the cell through the current
// memory map (gArrayLevel), turning the raw integer into the user's number or name and back by
// the format. A node without a cell key is a folder.
//
// Properties: `Name()` reads, `LetName(value)` writes, `SetNodes(object)` replaces an object;
// they only store and raise nothing. Members that touch cells raise 91 while there is no current
// memory map, 1110 "Object not found" for a cell key (or an auxiliary cell: divisor, decimals,
// table point, span, zero) the map lacks, and the cell's errors unchanged (see kvArrayNode).
class kvObjectNode : public VariantObject {
  public:
    kvObjectNode();
    ~kvObjectNode() override;
    kvObjectNode(const kvObjectNode&) = delete;
    kvObjectNode& operator=(const kvObjectNode&) = delete;

    // The children; never null unless SetNodes(nullptr) was called.
    const std::shared_ptr<kvObjectNodes>& Nodes() const { return nodes_; }
    void SetNodes(std::shared_ptr<kvObjectNodes> nodes);
    // The name the user sees, and the key of the memory cell shown (empty: a folder).
    const std::string& Name() const { return name_; }
    void LetName(std::string value) { name_ = std::move(value); }
    const std::string& ArrayNodeKey() const { return arrayNodeKey_; }
    void LetArrayNodeKey(std::string value) { arrayNodeKey_ = std::move(value); }
    // The degree sign followed by "F" also makes case scaling convert to Fahrenheit.
    const std::string& Unit() const { return unit_; }
    void LetUnit(std::string value) { unit_ = std::move(value); }
    // Blank-separated words that turn the raw value into the user's and back ("sint",
    // "casechannel5", "/163 round1", "*4", "-5000", "twat", ...); read at each Value.
    const std::string& Format() const { return format_; }
    void LetFormat(std::string value) { format_ = std::move(value); }
    // Free for the caller, a value or an object; the library never reads it.
    const Variant& Tag() const { return tag_; }
    void LetTag(Variant value) { tag_ = std::move(value); }
    void SetTag(Variant object) { tag_ = std::move(object); }
    // The key the tree finds the object by. Changing it does not re-key the collection holding
    // the node.
    const std::string& Key() const { return key_; }
    void LetKey(std::string value) { key_ = std::move(value); }
    // Named values that replace the number (empty or null: the format applies).
    const std::shared_ptr<kvEnums>& Enums() const { return enums_; }
    void SetEnums(std::shared_ptr<kvEnums> enums);
    // The bit field of the cell the object shows; 0 shows the whole cell.
    std::int32_t BitMask() const { return bitMask_; }
    void LetBitMask(std::int32_t value) { bitMask_ = value; }

    // The user value: the cell's value (read from the sensor when the image lacks it or when
    // forced), cut to BitMask, then either named by the enumeration (the number itself when no
    // entry matches) or converted by the format. 1204 "Unknown format" for an unknown format
    // word, 9 for more words than a format holds, 6 for a result that does not fit, 11 for a
    // divisor of 0.
    Variant Value(bool blnForce = false);
    // Writes a user value: without an enumeration through the inverted format (BitMask is not
    // applied); with one, the number of the entry of that name. 13 for a value that is not a
    // number where one is needed, 6 for one that does not fit the cell's conversion, its
    // signedness or its bytes, 380 for a name the enumeration lacks (naming those it holds) or
    // a time the "twat" codes cannot hold, and the cell's errors (1106, 1109 for a value beyond
    // its mask, transfer errors when forced). Nothing is written or sent when it fails.
    void LetValue(bool blnForce, const Variant& value);
    void LetValue(const Variant& value) { LetValue(false, value); }

    // The masked state of the cell, as the cell reports and takes it (kvArrayNode::Mask).
    Variant Mask();
    void LetMask(const Variant& value);

    // Parses a format into the node's token table (the one Value and LetValue then apply); 9
    // for more words than the table holds.
    void GetFormats(const std::string& strFormat);

    // Case channel and case register scaling of a raw Value by the divisor and decimals codes of
    // channel or register Ch (read from the map, not forced), in Fahrenheit for a unit of degree
    // sign and "F"; 1110 when the map lacks the code cells.
    float ConvToUser(float Value, std::int16_t Ch);
    float ConvToUserReg(float Value, std::int16_t Ch);
    // The inverses, giving the raw count; sngValue is left holding the scaled, unrounded count.
    float ConvFromUser(float& sngValue, std::int16_t Ch);
    float ConvFromUserReg(float& sngValue, std::int16_t Ch);

    // Gas table intTable: count to unit, and unit to count (sngUnit is left as the signed
    // 16-bit unit); the latter with the span, or span and zero, corrections inverted. The counts
    // run 0 ... 65535 (61440: zero concentration), span and zero in 1/2048. 1110 for a missing
    // table point, span or zero cell, 6 for a result outside its 16- or 32-bit range, 11 for two
    // equal neighbouring table points.
    float GetUnit(std::int32_t lngCount, std::int16_t intTable);
    std::int32_t GetCount(float& sngUnit, std::int16_t intTable);
    std::int32_t GetTargetCount(float sngUnit, std::int16_t intTable,
                                const std::string& strSpanKey);
    std::int32_t GetSampleCount(float sngUnit, std::int16_t intTable, const std::string& strSpanKey,
                                const std::string& strZeroKey);

    // The seconds of a time code, and the code of a time; Empty where there is none. 13 or 6 for
    // a Value that is no 32-bit number.
    Variant GetTWATime(const Variant& Value);
    Variant LetTWAtime(const Variant& Value);

  private:
    struct Impl;
    std::unique_ptr<Impl> d_;
    std::shared_ptr<kvObjectNodes> nodes_;
    std::string name_;
    std::string arrayNodeKey_;
    std::string unit_;
    std::string format_;
    Variant tag_;
    std::string key_;
    std::shared_ptr<kvEnums> enums_;
    std::int32_t bitMask_ = 0;
};

// The children of an object node, or the top of the object tree: nodes in insertion order,
// positions from 1, keys compared without regard to case. A duplicate key raises 457, a missing
// item 5.
class kvObjectNodes : public KeyedItems<kvObjectNode> {
  public:
    // Builds a node and adds it. An empty key is "fo" followed by the name with every blank
    // made "_" (a name of 255 or more characters then raises Overflow, 6). 457 for a key already
    // present (nothing added).
    std::shared_ptr<kvObjectNode> Add(const std::string& Name, const std::string& ArrayNodeKey = {},
                                      const std::string& Unit = {}, const std::string& Format = {},
                                      const std::string& Key = {}, std::int32_t BitMask = 0);
};

}  // namespace kvcom3
