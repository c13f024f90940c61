#include "kvcal3/kvCalChannel.h"
#include "kvcal3/kvCalProcedure.h"

namespace kvcal3 {

kvCalProcedure::kvCalProcedure() = default;
kvCalProcedure::~kvCalProcedure() = default;

std::shared_ptr<kvCalProcInputs> kvCalProcedure::InputVariables() {
    if (!mCalProcInputs) mCalProcInputs = std::make_shared<kvCalProcInputs>();
    return mCalProcInputs;
}

std::shared_ptr<kvCalProcedures> kvCalChannel::Procedures() {
    if (!procedures_) procedures_ = std::make_shared<kvCalProcedures>();
    return procedures_;
}

}  // namespace kvcal3
