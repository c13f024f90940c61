#include "map/CellState.h"

#include <algorithm>

#include "facade/clsErrors.h"
#include "kvcom3/Enums.h"

namespace kvcom3 {

namespace {

// Which byte of the cell's value the byte at address offset i holds (0 = least significant).
int significance(const CellBits& cell, std::int32_t i) {
    return cell.byteOrder == kvLSByteAtHighAdress ? cell.nrOfBytes - 1 - i : i;
}

}  // namespace

Variant combinedState(const CellBits& cell, const StateBytes& state) {
    if (cell.nrOfBytes < 1) return Variant();
    if (cell.nrOfBytes > 3) clsErrors().Raise(errCannotMask);
    std::uint32_t bits = cell.adrMask != 0 ? static_cast<std::uint32_t>(cell.adrMask)
                                           : (1u << (8 * cell.nrOfBytes)) - 1;
    std::uint32_t joined = 0;
    for (std::int32_t i = 0; i < cell.nrOfBytes; ++i) {
        joined |= std::uint32_t{state.get(cell.adr + i, cell.memType)}
                  << (8 * significance(cell, i));
    }
    if ((joined & bits) == bits) return Variant(true);
    if ((joined & bits) != 0) return Variant(static_cast<VbLong>(cell.adrMask & joined));
    return Variant(false);
}

void setState(const CellBits& cell, const StateBytes& state, const Variant& value) {
    // A refused cell leaves every byte's state as it was.
    if (cell.nrOfBytes < 1 || cell.nrOfBytes > 3) clsErrors().Raise(errCannotMask);
    // True is -1 and False 0, so their shares set and clear every bit of the cell.
    const std::int64_t wanted = value.toLong();
    const std::int64_t mask = static_cast<std::uint32_t>(cell.adrMask);
    for (std::int32_t i = 0; i < cell.nrOfBytes; ++i) {
        // Bytes above the 32-bit value (first bytes of a long cell) hold no bits of the mask.
        const int shift = std::min(8 * significance(cell, i), 63);
        const auto share = static_cast<std::uint8_t>(cell.adrMask != 0 ? mask >> shift : 255);
        const auto bits = static_cast<std::uint8_t>(wanted >> shift);
        const std::int32_t adr = cell.adr + i;
        const std::uint8_t old = state.get(adr, cell.memType);
        state.let(adr, cell.memType, static_cast<std::uint8_t>((old & ~share) | (bits & share)));
    }
}

}  // namespace kvcom3
