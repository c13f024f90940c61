#include "map/MapRevision.h"

#include <atomic>

namespace kvcom3 {

namespace {
std::atomic<std::uint64_t> revision{0};
}

std::uint64_t mapRevision() noexcept {
    return revision.load(std::memory_order_relaxed);
}

void bumpMapRevision() noexcept {
    revision.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace kvcom3
