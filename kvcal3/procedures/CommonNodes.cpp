#include "procedures/CommonNodes.h"

#include "kvcom3/KvError.h"
#include "procedures/SensorAccess.h"

namespace kvcal3 {

kvcom3::Variant commonNodeValue(kvcom3::kvCommonNodes node, bool blnForce, std::int16_t index) {
    auto found = calSensor().ObjectLevel()->CommonNode(node, index);
    if (!found) {
        kvcom3::raisePlatformError(kvcom3::platform_error::ObjectNotSet,
                                   "the sensor has no common object " + std::to_string(node));
    }
    return found->Value(blnForce);
}

}  // namespace kvcal3
