#include "procedures/CommonNodes.h"

#include <memory>

#include "kvcom3/KvError.h"
#include "procedures/SensorAccess.h"

namespace kvcal3 {

namespace {

// The sensor's object tree, as its facade hands it out.
template <class Sensor>
std::shared_ptr<kvcom3::clsObjectLevel> objectLevelOf(Sensor& sensor) {
    if constexpr (requires { sensor.ObjectLevel(); }) {
        return sensor.ObjectLevel();
    } else {
        kvcom3::raisePlatformError(kvcom3::platform_error::ObjectNotSet,
                                   "the sensor hands out no object tree");
    }
}

}  // namespace

kvcom3::Variant commonNodeValue(kvcom3::kvCommonNodes node, bool blnForce, std::int16_t index) {
    auto objects = objectLevelOf(calSensor());
    auto found = objects ? objects->CommonNode(node, index) : nullptr;
    if (!found) {
        kvcom3::raisePlatformError(kvcom3::platform_error::ObjectNotSet,
                                   "the sensor has no common object " + std::to_string(node));
    }
    return found->Value(blnForce);
}

}  // namespace kvcal3
