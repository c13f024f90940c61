#pragma once

#include "model/Cell.h"
#include "model/Memory.h"
#include "model/Profile.h"

namespace kvsim {

// The three memories of a sensor as it leaves the factory.
struct Memories {
    Memory ram;
    Memory eeprom;
    Memory flash;
};

// Builds the memories of a profile by the layout rules of its platform. Throws
// std::runtime_error when the profile does not fit them (unknown parameter, a base-address
// area outside the free EEPROM or overlapping another, a value too large for its cell).
Memories buildMemories(const Profile& profile, int platform);

// Copies the EEPROM side of every mirror into RAM, or RAM into EEPROM.
void copyMirrors(const Profile& profile, Memories& memories, bool toRam);

// Writes an integer into a cell, refusing values that do not fit.
void putCell(Memories& memories, const Cell& cell, long value, const std::string& name);

}  // namespace kvsim
