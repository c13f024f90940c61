#pragma once

#include "model/MemoryImage.h"
#include "model/Physics.h"
#include "model/Profile.h"
#include "model/Sensor.h"

namespace kvsim {

// Measures the world once: the raw signals the elements produce (from the profile's hidden
// hardware) and the readings the firmware computes from them with the tables and factors now
// in its memories, written to the RAM channels of the platform.
void updateReadings(const Profile& profile, int platform, const World& world, Memories& memories,
                    physics::Noise& noise);

}  // namespace kvsim
