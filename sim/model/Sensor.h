#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kvsim {

// Memory spaces a sensor has. Addresses are byte addresses.
enum class Space : std::uint8_t { RAM = 0, EEPROM = 1, FLASH = 2 };

// The hidden "true" world the sensor measures; tests and the demo set it.
struct World {
    double temperatureC = 23.0;
    double co2ppm = 400.0;
    double rhPercent = 45.0;
    double coPpm = 0.0;
    double gasExposure = 0.0;
    bool noise = true;  // a little measurement noise; tests switch it off
};

// A model of one sensor: its memories, identification, EEPROM lock, special commands, Modbus
// register spaces and live readings. The wire side (KVBUS, Modbus, multiplexer) only calls this.
class Sensor {
  public:
    // Loads sim/profiles/<name>.json (or a path to a profile file). Raises std::runtime_error
    // with a clear message for a missing or malformed profile.
    static std::unique_ptr<Sensor> fromProfile(const std::string& nameOrPath);
    // Names of the profiles shipped with the bench.
    static std::vector<std::string> profileNames();

    virtual ~Sensor() = default;

    virtual std::string profileName() const = 0;
    virtual int platform() const = 0;           // 5, 6, 61, 7 or 8
    virtual std::uint8_t partByte() const = 0;  // RAM 65
    virtual bool byteAccess() const = 0;        // platforms 7 and 8
    virtual int commandSet() const = 0;         // KVBUS special-command set, 1 or 2
    virtual std::size_t size(Space space) const = 0;

    // EEPROM addresses are reduced by (size - 1), as the sensor decodes only its own address
    // lines; RAM and FLASH addresses beyond the memory read 0xFF and ignore writes.
    virtual std::uint8_t read(Space space, std::uint32_t address) const = 0;
    // An EEPROM write while locked is ignored (the reply is still positive on the wire).
    virtual void write(Space space, std::uint32_t address, std::uint8_t value) = 0;

    // Special commands; each returns false when the sensor refuses it.
    virtual bool eepromToRam() = 0;
    virtual bool ramToEeprom() = 0;
    virtual bool lockEeprom() = 0;
    virtual bool unlockEeprom() = 0;  // platform 6: only while RAM 230 holds 1
    virtual bool idToEeprom() = 0;
    virtual bool twaReset() = 0;
    virtual bool restart() = 0;
    virtual bool transparent(bool on) = 0;
    virtual bool power(bool on) = 0;
    virtual bool eepromLocked() const = 0;

    // Standard Modbus register spaces; false when the register does not exist.
    virtual bool inputRegister(std::uint16_t reg, std::uint16_t& value) const = 0;
    virtual bool holdingRegister(std::uint16_t reg, std::uint16_t& value) const = 0;
    virtual bool writeHoldingRegister(std::uint16_t reg, std::uint16_t value) = 0;

    // The world and the passing of time: readings in RAM follow the world as time passes.
    virtual World& world() = 0;
    virtual void advance(double seconds) = 0;
};

}  // namespace kvsim
