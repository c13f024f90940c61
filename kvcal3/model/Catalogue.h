#pragma once

#include "kvcal3/kvCalChannel.h"
#include "kvcom3/ISensMem.h"

namespace kvcal3 {

// Adds the channels, procedures and inputs that fit the sensor's platform and fitted probes.
void addChannelsFor(kvcom3::ISensMem& sensor, kvCalChannels& channels);

}  // namespace kvcal3
