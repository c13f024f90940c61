#pragma once

#include <cstdint>
#include <string>

#include "objects/CellReader.h"

namespace kvcom3::objects {

// Gas table t: 17 points "eaTable" t "_" i, point i giving the unit value (signed 16-bit) at
// count 4096 * i. Counts run 0-65536, 61440 standing for zero concentration; span and zero
// factors are in units of 1/2048.

// Count to unit by linear interpolation on the segment holding the count (a count on a point
// belongs to the segment below it). The result is the unit's unsigned 16-bit pattern; a count
// above 65536 gives 0.
float tableUnit(std::int32_t count, std::int16_t table, const CellReader& cells);

// Unit to count: `unit` is made a signed 16-bit value (and left so); the first segment holding
// it gives the count, none gives 65535; clamped to 0-65536. Two equal neighbouring points raise
// Division by zero (11).
std::int32_t tableCount(float& unit, std::int16_t table, const CellReader& cells);

// The reading of a target count corrected by the span cell, and its inverse (6 "Overflow" for a
// count outside 0 ... 65535).
float targetUnit(std::int32_t count, std::int16_t table, const std::string& spanKey,
                 const CellReader& cells);
std::int32_t targetCount(float unit, std::int16_t table, const std::string& spanKey,
                         const CellReader& cells);

// The reading of a sample count corrected by the zero and span cells, and its inverse (6
// "Overflow" for a count outside 0 ... 65535).
float sampleUnit(std::int32_t count, std::int16_t table, const std::string& spanKey,
                 const std::string& zeroKey, const CellReader& cells);
std::int32_t sampleCount(float unit, std::int16_t table, const std::string& spanKey,
                         const std::string& zeroKey, const CellReader& cells);

}  // namespace kvcom3::objects
