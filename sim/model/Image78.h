#pragma once

#include "model/MemoryImage.h"

namespace kvsim {

// The EEPROM and RAM of a platform-7 or platform-8 sensor: identity and configuration at the
// end of EEPROM, the base-address block pointing at tables, menus, ranges, user info and the
// logger array in the free middle, logger buffers where their pointers say.
void buildImage78(const Profile& profile, int platform, Memories& memories);

// Whether the sensor has a flash processor (the full memory layout): platform-7 part codes are
// never flash parts.
bool hasFlashProcessor(int platform);

// Bytes of the menu area at B_MENU for this sensor.
int menuBytes(const Profile& profile, int platform);

}  // namespace kvsim
