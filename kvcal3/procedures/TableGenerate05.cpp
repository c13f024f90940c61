#include <cmath>

#include "kvcal3/kvCalProcedure.h"
#include "kvcom3/Clock.h"
#include "kvcom3/KvError.h"
#include "procedures/AbsorptionModel.h"
#include "procedures/DefinitionFiles.h"

namespace kvcal3 {

namespace {

constexpr std::size_t kTablePoints = 16;
constexpr std::int32_t kSegment = 4096;
// A falling model finds each point in a few dozen passes; a model that does not fall steadily
// would otherwise search for ever.
constexpr int kMaxPassesPerPoint = 1000;

}  // namespace

void kvCalProcedure::TableGenerate05(std::uint8_t btePart, std::span<float> sngTable) {
    if (sngTable.size() < kTablePoints) {
        kvcom3::raisePlatformError(kvcom3::platform_error::SubscriptOutOfRange,
                                   "the table needs 16 elements");
    }
    float A = 0, B = 0, C = 0, D = 0, E = 0, Tmax = 0;
    GetSnsDef(btePart, A, B, C, D, E, Tmax);
    const AbsorptionModel model(A, B, C, D, E, Tmax);

    // Each point's search starts at the previous point's concentration: expand until the count
    // falls below the target, then halve the step around it until the count hits it exactly.
    double x = 0;
    double step = 10;
    std::int32_t target = 61440;
    bool expanding = true;
    int passes = 0;
    while (target >= 0) {
        kvcom3::pumpEvents();
        if (++passes > kMaxPassesPerPoint) {
            kvcom3::raisePlatformError(
                kvcom3::platform_error::InvalidCall,
                "the model of " + snsDefFileName(btePart) +
                    " does not fall steadily to count 0; no concentration found for count " +
                    std::to_string(target));
        }
        const std::int32_t c = model.count(x);
        if (c < target) expanding = false;
        if (expanding) {
            if (c > target) {
                x += step;
                step *= 2;
            }
        } else if (c > target) {
            step /= 2;
            x += step;
        } else if (c < target) {
            step /= 2;
            x -= step;
        }
        if (c == target) {
            sngTable[static_cast<std::size_t>(target / kSegment)] =
                static_cast<float>(std::trunc(x));
            step = 100;
            target -= kSegment;
            expanding = true;
            passes = 0;
        }
    }
}

}  // namespace kvcal3
