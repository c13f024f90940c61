#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/Sensor.h"
#include "wire/Slave.h"

namespace kvsim {

struct KvbusConfig {
    int id = 0;                                   // answers 0xE0 + id and the broadcast 0xFE
    std::uint8_t ack = 0x06;                      // 0x06, or 0x86 for sensors that answer so
    std::chrono::milliseconds frameTimeout{500};  // a silent gap inside a frame abandons it
};

inline constexpr std::uint8_t kCtr = 0xDF;
inline constexpr std::uint8_t kNak = 0x15;
inline constexpr std::uint8_t kBroadcast = 0xFE;

// The sensor's side of KVBUS: address byte, clear-to-receive, request frame, reply. A frame with a
// wrong checksum or an unknown command is ignored; a command the sensor refuses is answered NAK.
class KvbusSlave final : public Slave {
  public:
    KvbusSlave(std::shared_ptr<Sensor> sensor, KvbusConfig config, TransferObserver* observer);

    void receive(std::uint8_t byte, Timestamp at, std::vector<Reply>& out) override;
    void advance(double seconds) override;

  private:
    std::size_t frameLength(std::uint8_t first) const;
    bool isOwnAddress(std::uint8_t byte) const;
    void execute(std::vector<Reply>& out);
    void transfer(std::vector<Reply>& out);
    void command(std::vector<Reply>& out);

    std::shared_ptr<Sensor> sensor_;
    KvbusConfig config_;
    TransferObserver* observer_;
    bool addressed_ = false;
    std::vector<std::uint8_t> frame_;
    std::size_t expected_ = 0;
    Timestamp lastByte_{};
};

}  // namespace kvsim
