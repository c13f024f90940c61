#pragma once

#include <array>

#include "model/MemoryImage.h"
#include "model/Physics.h"
#include "model/Profile.h"
#include "model/Sensor.h"

namespace kvsim {

// A sensor built from a profile: its memories as the layout rules place the profile's data,
// readings that follow the world, an EEPROM that starts locked.
class ProfileSensor final : public Sensor {
  public:
    explicit ProfileSensor(Profile profile);

    // Replaces the memories with those of a real sensor (a backup), from address 0 on; the
    // readings in RAM follow the world again from the next update.
    void loadImage(const std::vector<std::uint8_t>& eeprom, const std::vector<std::uint8_t>& ram);

    std::string profileName() const override { return profile_.name; }
    int platform() const override { return platform_; }
    std::uint8_t partByte() const override { return profile_.partByte; }
    bool byteAccess() const override;
    int commandSet() const override { return commandSet_; }
    std::size_t size(Space space) const override;

    std::uint8_t read(Space space, std::uint32_t address) const override;
    void write(Space space, std::uint32_t address, std::uint8_t value) override;

    bool eepromToRam() override;
    bool ramToEeprom() override;
    bool lockEeprom() override;
    bool unlockEeprom() override;
    bool idToEeprom() override;
    bool twaReset() override;
    bool restart() override;
    bool transparent(bool on) override;
    bool power(bool on) override;
    bool eepromLocked() const override { return locked_; }
    bool transparentOn() const { return transparent_; }
    bool poweredOn() const { return powered_; }

    bool inputRegister(std::uint16_t reg, std::uint16_t& value) const override;
    bool holdingRegister(std::uint16_t reg, std::uint16_t& value) const override;
    bool writeHoldingRegister(std::uint16_t reg, std::uint16_t value) override;

    World& world() override { return world_; }
    void advance(double seconds) override;

  private:
    static constexpr std::uint16_t kRegisterCount = 32;

    const Memory& memory(Space space) const;
    void updateClock();
    std::uint16_t measureStatus() const;
    std::uint16_t channelWord(int chan) const;
    bool oosCell(std::uint16_t reg, std::uint32_t& address) const;

    Profile profile_;
    int platform_;
    int commandSet_;
    Memories memories_;
    World world_;
    physics::Noise noise_;
    bool locked_ = true;
    bool transparent_ = false;
    bool powered_ = true;
    double clockSeconds_ = 0;
    std::array<std::uint16_t, kRegisterCount> holding_{};
};

}  // namespace kvsim
