#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "kvcom3/kvArrayNode.h"

namespace kvcom3 {

// "Chan_" and 4 give "Chan_4".
inline std::string indexed(std::string_view base, int i) {
    std::string name(base);
    name += std::to_string(i);
    return name;
}

// A second index is joined with "-": "LoggItem_", 0 and 2 give "LoggItem_0-2".
inline std::string indexed(std::string_view base, int i, int j) {
    std::string name = indexed(base, i);
    name += '-';
    name += std::to_string(j);
    return name;
}

// Adds a group node (no address, no value) and returns its children.
inline kvArrayNodes& group(kvArrayNodes& parent, const std::string& name,
                           std::uint8_t memType = kvEEPROM, std::string_view key = {}) {
    return *parent.Add(name, 0, 0, memType, kvLSByteAtHighAdress, 0, key)->Nodes();
}

}  // namespace kvcom3
