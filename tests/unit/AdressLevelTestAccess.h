#pragma once

#include "kvcom3/clsAdressLevel.h"
#include "link/AdressLevelImpl.h"
#include "link/SensorCommands.h"

namespace kvcom3 {

// The tests' way to the private transfers and the image of an address level.
class AdressLevelTestAccess {
  public:
    static void ReadBlock(clsAdressLevel& level, std::int32_t adr, std::uint8_t count,
                          std::uint8_t memType, std::uint8_t& timingClass) {
        level.ReadBlock(adr, count, memType, timingClass);
    }
    static void ReadBlock(clsAdressLevel& level, std::int32_t adr, std::uint8_t count,
                          std::uint8_t memType) {
        std::uint8_t timing = 0;
        level.ReadBlock(adr, count, memType, timing);
    }
    static void WriteBlock(clsAdressLevel& level, std::int32_t adr, std::uint8_t count,
                           std::uint8_t memType, std::uint8_t timingClass = 0) {
        level.WriteBlock(adr, count, memType, timingClass);
    }
    static void SendCommand(clsAdressLevel& level, kvSensorCommands command,
                            std::uint8_t timingClass = 0) {
        level.SendCommand(command, timingClass);
    }
    static void SelectPosition(clsAdressLevel& level) { level.SelectPosition(); }
    static MemoryImage& image(clsAdressLevel& level) { return level.d_->image; }

    // Puts a value into the image as a caller's change, not yet in the sensor.
    static void setImage(clsAdressLevel& level, std::int32_t adr, std::uint8_t memType,
                         std::uint8_t value) {
        clsAdress& record = level.d_->image.obtain(adr, memType);
        record.Value = value;
        record.GotValueP = true;
    }
};

}  // namespace kvcom3
