#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "kvcom3/Variant.h"
#include "kvcom3/kvObjectNode.h"

namespace kvcom3 {

// Well-known objects, reached by CommonNode whatever the tree they sit in (CO2Table by point
// 0-16; CO2FracDynSet is in no tree).
enum kvCommonNodes : std::int16_t {
    SpaceTemp = 0,
    SpaceCO2 = 1,
    CO2Zero = 2,
    CO2Span = 3,
    CO2Tz = 4,
    CO2Ts = 5,
    CO2Old = 6,
    CO2ABCtarget = 7,
    CO2FracCurr = 8,
    CO2FracSet = 9,
    CO2FracDynSet = 10,
    CO2High = 11,
    CO2Low = 12,
    CO2DetectorTemp = 13,
    CO2Table = 14,
    LampOnTime = 15,
    LampOffTime = 16,
    SpaceRH = 17,
};

// The object tree of the connected sensor, built once on first use from the tables of its
// platform (5, 7 or 8; any other gets an empty tree). Building generates the memory map
// (gArrayLevel) first and reads the platform and a few sensor facts, so it may reach the sensor;
// nodes that show RAM are only built while on line. The tree stays until Clear. Errors of the
// build (91 without a memory map, 1100, 1205, 1110, the transfer errors) reach the caller of
// Nodes, GetNode or CommonNode unchanged and leave the tree partly built until Clear.
class clsObjectLevel : public VariantObject {
  public:
    clsObjectLevel();
    ~clsObjectLevel() override;
    clsObjectLevel(const clsObjectLevel&) = delete;
    clsObjectLevel& operator=(const clsObjectLevel&) = delete;

    // Drops the tree; the next access builds it again for the sensor and link of that time. No
    // errors.
    void Clear();
    // The node of a well-known object (Index picks the point of CO2Table); null when the tree
    // has none or NodeName is not a member.
    std::shared_ptr<kvObjectNode> CommonNode(kvCommonNodes NodeName, std::int16_t Index = 0);
    // The top of the tree, built first.
    std::shared_ptr<kvObjectNodes> Nodes();
    // Replaces the top collection; the generated state is unchanged. No errors.
    void SetNodes(std::shared_ptr<kvObjectNodes> nodes);
    // The unit text of measurement channel Ch on platforms 7 and 8 from its unit code (degree
    // sign and "C" or "F", "V", "ppm", "%", "g/kg", or empty); empty elsewhere. Reads the code
    // cell: 1110 for a channel the map lacks, 1205 and the transfer errors.
    std::string GetChanUnit(std::int16_t Ch);
    // The first node, depth first and each node before its children, whose key matches without
    // regard to case; null when none does.
    std::shared_ptr<kvObjectNode> GetNode(std::string_view strKey);

  private:
    void Generate();

    std::shared_ptr<kvObjectNodes> nodes_;
    bool generated_ = false;
};

}  // namespace kvcom3
