#pragma once

#include <memory>
#include <string>

#include "kvcal3/kvCalProcInput.h"

namespace kvcal3 {

// One calibration procedure of a channel. Its Key selects the algorithm Run carries out.
class kvCalProcedure : public kvcom3::VariantObject {
  public:
    kvCalProcedure();
    ~kvCalProcedure() override;

    std::string Name;
    std::string Key;
    std::shared_ptr<kvCalProcInputs> mCalProcInputs;

    // The inputs, created empty on first use.
    std::shared_ptr<kvCalProcInputs> InputVariables();
};

class kvCalProcedures : public kvCalItems<kvCalProcedure> {};

}  // namespace kvcal3
