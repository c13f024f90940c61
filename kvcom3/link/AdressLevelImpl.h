#pragma once

#include <cstdint>

#include "facade/clsErrors.h"
#include "kvcom3/clsAdressLevel.h"
#include "link/MemoryImage.h"

namespace kvcom3 {

struct clsAdressLevel::Impl {
    MemoryImage image;
    clsErrors errors;
    // The production-network position last switched to by this object.
    std::int16_t lastIDx = 0;
    std::int16_t lastIDy = 0;
};

}  // namespace kvcom3
