#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/Sensor.h"
#include "wire/Slave.h"

namespace kvsim {

struct ModbusConfig {
    std::uint8_t address = 1;  // also answers 254, the address of "whichever sensor is there"
    std::chrono::milliseconds gap{50};  // silence that ends a partial frame
};

inline constexpr std::uint8_t kAnyAddress = 254;
// Carried out by every slave, answered by none.
inline constexpr std::uint8_t kBroadcastAddress = 0;

namespace modbus_exception {
inline constexpr std::uint8_t IllegalFunction = 0x01;
inline constexpr std::uint8_t IllegalAddress = 0x02;
inline constexpr std::uint8_t IllegalValue = 0x03;
inline constexpr std::uint8_t DeviceFailure = 0x04;
}  // namespace modbus_exception

// The sensor's side of Modbus RTU: functions 3, 4 and 6 over the register spaces and the maker's
// memory and command functions. Frames are sized from their function code; a frame with a bad
// CRC or for another slave gets no reply, as on any RTU line.
class ModbusSlave final : public Slave {
  public:
    ModbusSlave(std::shared_ptr<Sensor> sensor, ModbusConfig config, TransferObserver* observer);

    void receive(std::uint8_t byte, Timestamp at, std::vector<Reply>& out) override;
    void advance(double seconds) override;

  private:
    std::size_t expectedLength() const;
    bool crcMatches() const;
    void execute(std::vector<Reply>& out);
    std::vector<std::uint8_t> readRegisters(bool input) const;
    std::vector<std::uint8_t> writeRegisters();
    std::vector<std::uint8_t> readMemory(Space space) const;
    std::vector<std::uint8_t> writeMemory(Space space);
    std::vector<std::uint8_t> command();

    std::shared_ptr<Sensor> sensor_;
    ModbusConfig config_;
    TransferObserver* observer_;
    std::vector<std::uint8_t> frame_;
    Timestamp lastByte_{};
};

}  // namespace kvsim
