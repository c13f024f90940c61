#include "model/LibraryState.h"

namespace kvcal3 {

std::shared_ptr<kvcom3::ISensMem> gSensor;

}  // namespace kvcal3
