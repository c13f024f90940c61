#include "kvcal3/ISensCalibration.h"

#include "model/Catalogue.h"
#include "model/LibraryState.h"
#include "model/clsErrors.h"

namespace kvcal3 {

ISensCalibration::ISensCalibration() = default;
ISensCalibration::~ISensCalibration() = default;

void ISensCalibration::SetSensor(std::shared_ptr<kvcom3::ISensMem> sensor) {
    gSensor = std::move(sensor);
}

std::shared_ptr<kvCalChannels> ISensCalibration::Channels() {
    if (!channels_) {
        channels_ = std::make_shared<kvCalChannels>();
        BuildChannels();
    }
    return channels_;
}

std::shared_ptr<kvCalProcedure> ISensCalibration::GetProcedure(const std::string& strKey) {
    if (!channels_) channels_ = std::make_shared<kvCalChannels>();
    BuildChannels();
    for (const auto& channel : *channels_) {
        for (const auto& procedure : *channel->Procedures()) {
            if (procedure->Key == strKey) return procedure;
        }
    }
    clsErrors().Raise(calProcedureNotFound);
}

void ISensCalibration::BuildChannels() {
    // Set first: a sensor that cannot be read is not asked again by this object.
    if (ChannelsBuilt) return;
    ChannelsBuilt = true;
    if (!gSensor) {
        kvcom3::raisePlatformError(kvcom3::platform_error::ObjectNotSet,
                                   "no sensor was given to the calibration library");
    }
    addChannelsFor(*gSensor, *channels_);
}

}  // namespace kvcal3
