#include "procedures/CommonNodeWrite.h"

#include "kvcom3/KvError.h"
#include "procedures/SensorAccess.h"

namespace kvcal3 {

void letCommonNodeValue(kvcom3::kvCommonNodes node, bool blnForce, const kvcom3::Variant& value) {
    auto found = calSensor().ObjectLevel()->CommonNode(node);
    if (!found) {
        kvcom3::raisePlatformError(kvcom3::platform_error::ObjectNotSet,
                                   "the sensor has no common object " + std::to_string(node));
    }
    found->LetValue(blnForce, value);
}

}  // namespace kvcal3
