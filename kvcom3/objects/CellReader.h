#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kvcom3::objects {

// Reads an auxiliary cell of the memory map by key (scaling codes, table points, span and zero)
// from the memory image. Conversions take one so that they need no map to be tested.
using CellReader = std::function<std::int32_t(const std::string& key)>;

}  // namespace kvcom3::objects
