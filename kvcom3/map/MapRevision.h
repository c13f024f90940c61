#pragma once

#include <cstdint>

namespace kvcom3 {

// A counter of changes to the shape of any memory map: nodes added or removed, child collections
// replaced, keys changed. The key index of a map level is valid while the counter stands still.
std::uint64_t mapRevision() noexcept;
void bumpMapRevision() noexcept;

}  // namespace kvcom3
