#pragma once

#include <memory>

#include "kvcal3/ISensCalibration.h"
#include "kvcal3/UserInteraction.h"

namespace kvcal3 {

// For the length of one operation every procedure talks to `sensor` and asks its questions
// through `interaction` (null: there is no user); both are handed back at the end, so that a
// program that lets its sensor go really lets it go.
class LibraryUse {
  public:
    LibraryUse(ISensCalibration& calibration, std::shared_ptr<kvcom3::ISensMem> sensor,
               std::shared_ptr<UserInteraction> interaction)
        : calibration_(calibration) {
        calibration_.SetSensor(std::move(sensor));
        setUserInteraction(std::move(interaction));
    }
    ~LibraryUse() {
        setUserInteraction(nullptr);
        calibration_.SetSensor(nullptr);
    }
    LibraryUse(const LibraryUse&) = delete;
    LibraryUse& operator=(const LibraryUse&) = delete;

  private:
    ISensCalibration& calibration_;
};

}  // namespace kvcal3
