#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "model/Sensor.h"

namespace kvtest {

// A plain sensor for tests of the wire: flat memories, a lock, registers in maps, and a record
// of the commands it was given. Platform, byte access and command set are set directly.
class FakeSensor final : public kvsim::Sensor {
  public:
    explicit FakeSensor(int platform = 6, bool byteAccess = false, int commandSet = 1);

    std::string profileName() const override { return "fake"; }
    int platform() const override { return platform_; }
    std::uint8_t partByte() const override { return ram_[65]; }
    bool byteAccess() const override { return byteAccess_; }
    int commandSet() const override { return commandSet_; }
    std::size_t size(kvsim::Space space) const override;

    std::uint8_t read(kvsim::Space space, std::uint32_t address) const override;
    void write(kvsim::Space space, std::uint32_t address, std::uint8_t value) override;

    bool eepromToRam() override { return note("EEPROMtoRAM"); }
    bool ramToEeprom() override { return note("RAMtoEEPROM"); }
    bool lockEeprom() override;
    bool unlockEeprom() override;
    bool idToEeprom() override { return note("IDtoEEPROM"); }
    bool twaReset() override { return note("TWAreset"); }
    bool restart() override { return note("RESTART"); }
    bool transparent(bool on) override { return note(on ? "TRANSPARENT ON" : "TRANSPARENT OFF"); }
    bool power(bool on) override { return note(on ? "POWER ON" : "POWER OFF"); }
    bool eepromLocked() const override { return locked_; }

    bool inputRegister(std::uint16_t reg, std::uint16_t& value) const override;
    bool holdingRegister(std::uint16_t reg, std::uint16_t& value) const override;
    bool writeHoldingRegister(std::uint16_t reg, std::uint16_t value) override;

    kvsim::World& world() override { return world_; }
    void advance(double seconds) override { elapsed += seconds; }

    std::vector<std::uint8_t>& memory(kvsim::Space space);

    std::map<std::uint16_t, std::uint16_t> inputRegisters;
    std::map<std::uint16_t, std::uint16_t> holdingRegisters;
    std::vector<std::string> commands;  // names of the commands carried out, in order
    bool refuseCommands = false;
    double elapsed = 0;

  private:
    bool note(const char* name);

    int platform_;
    bool byteAccess_;
    int commandSet_;
    bool locked_ = true;
    std::vector<std::uint8_t> ram_;
    std::vector<std::uint8_t> eeprom_;
    std::vector<std::uint8_t> flash_;
    kvsim::World world_;
};

}  // namespace kvtest
