#pragma once

#include <cstdint>
#include <functional>

#include "kvcom3/Variant.h"

namespace kvcom3 {

// What the state of a cell's bits depends on.
struct CellBits {
    std::int32_t adr;
    std::int32_t nrOfBytes;
    std::uint8_t memType;
    std::uint8_t byteOrder;
    std::int32_t adrMask;
};

// One kind of per-byte state of the address level (mask or file lock).
struct StateBytes {
    std::function<std::uint8_t(std::int32_t adr, std::uint8_t memType)> get;
    std::function<void(std::int32_t adr, std::uint8_t memType, std::uint8_t value)> let;
};

// The state bytes of a cell of 1-3 bytes joined by its byte order and compared with its bits
// (AdrMask, or every bit of the cell when it is 0): True when all are set, False when none, else
// the number AdrMask AND state (0 for a cell without AdrMask). Empty for a group; 1107 for a
// cell of four or more bytes.
Variant combinedState(const CellBits& cell, const StateBytes& state);

// Sets the cell's bits to `value` (True: all, False: none, a number: as in the number), byte by
// byte in address order, each byte taking its share of the bits by the cell's byte order, the
// same way combinedState joins them. 1107 for a group and for a cell of four or more bytes,
// before any byte's state changes.
void setState(const CellBits& cell, const StateBytes& state, const Variant& value);

}  // namespace kvcom3
