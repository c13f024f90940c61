#pragma once

#include <cstdint>

namespace kvcom3 {

// Special commands a sensor understands; KVBUS and Modbus frame them differently.
enum kvSensorCommands : std::uint8_t {
    cmdEEPROMtoRAM = 0,
    cmdRAMtoEEPROM = 1,
    cmdLockEEPROM = 2,
    cmdUnlockEEPROM = 3,
    cmdIDtoEEPROM = 4,
    cmdTWAreset = 5,
    cmdRestart = 6,
    cmdTransparentOn = 7,
    cmdTransparentOff = 8,
    cmdPowerOn = 9,
    cmdPowerOff = 10,
};

}  // namespace kvcom3
