#pragma once

#include <memory>
#include <string>

#include "kvcal3/kvCalProcedure.h"

namespace kvcal3 {

// One calibration channel: a measured quantity with its procedures.
class kvCalChannel : public kvcom3::VariantObject {
  public:
    // The name shown to the user and the catalogue key ("ccSpaceCO2", ...).
    std::string Name;
    std::string Key;

    // The procedures, created empty on first use. No errors.
    std::shared_ptr<kvCalProcedures> Procedures();

  private:
    std::shared_ptr<kvCalProcedures> procedures_;
};

// The channels of the catalogue.
class kvCalChannels : public kvCalItems<kvCalChannel> {};

}  // namespace kvcal3
