#include "procedures/SensorAccess.h"

#include "kvcom3/KvError.h"
#include "model/LibraryState.h"

namespace kvcal3 {

kvcom3::ISensMem& calSensor() {
    if (!gSensor) {
        kvcom3::raisePlatformError(kvcom3::platform_error::ObjectNotSet,
                                   "no sensor was given to the calibration library");
    }
    return *gSensor;
}

std::int32_t cellValue(std::string_view key, bool blnForce) {
    return calSensor().ArrayLevel()->GetNode(key)->Value(blnForce);
}

}  // namespace kvcal3
