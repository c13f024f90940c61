#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kvcal3/ISensCalibration.h"
#include "kvcom3/ISensMem.h"
#include "kvcom3/ValueTarget.h"
#include "recipe/Recipe.h"
#include "records/Records.h"

namespace station {

// The recipe's steps at one connected sensor. Every key and procedure is looked up first,
// reading only, so a recipe that names something this sensor lacks fails before a write.
class StepRunner {
  public:
    StepRunner(std::shared_ptr<kvcom3::ISensMem> sensor, const std::vector<RecipeStep>& steps);
    ~StepRunner();
    StepRunner(const StepRunner&) = delete;
    StepRunner& operator=(const StepRunner&) = delete;

    // Runs the steps in order. Each finished step (a read step once per key) is handed to
    // `done`, also the one that failed, whose error then leaves here; a check outside its limits
    // ends the steps with `done` seeing it not passed. Returns whether every check passed.
    bool run(const std::string& serial, const std::function<void(const StepRecord&)>& done);
    // Whether the steps ended inside a write (set or calibrate), whose bytes may be half sent.
    bool cutShortWrite() const { return writing_; }

  private:
    struct Resolved {
        const RecipeStep* step;
        std::vector<kvcom3::Target> targets;
        std::shared_ptr<kvcal3::kvCalProcedure> procedure;
    };
    void runOne(const Resolved& r, const std::string& serial, int& index,
                const std::function<void(const StepRecord&)>& done, bool& passed);
    StepRecord calibrate(const Resolved& r);
    StepRecord backup(const RecipeStep& step, const std::string& serial);

    std::shared_ptr<kvcom3::ISensMem> sensor_;
    kvcal3::ISensCalibration calibration_;
    std::vector<Resolved> resolved_;
    bool writing_ = false;
};

}  // namespace station
