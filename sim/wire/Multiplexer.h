#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "wire/Slave.h"

namespace kvsim {

struct Position {
    std::uint16_t board = 0;
    std::uint8_t position = 0;
    auto operator<=>(const Position&) const = default;
};

inline constexpr std::uint8_t kMuxAck = 0x06;

// The production network: listens on the line for 0x55 x5, 0x00, board high, board low,
// position, checksum; acknowledges and from then on connects the line to the device at that
// position. Other bytes pass to the connected device; an empty position is silent.
class Multiplexer final : public Slave {
  public:
    explicit Multiplexer(TransferObserver* observer, Position initial = {});

    void attach(Position at, std::unique_ptr<Slave> device);
    Position route() const { return route_; }

    void receive(std::uint8_t byte, Timestamp at, std::vector<Reply>& out) override;
    void advance(double seconds) override;

  private:
    void finishSwitch(std::vector<Reply>& out);

    TransferObserver* observer_;
    std::map<Position, std::unique_ptr<Slave>> devices_;
    Position route_;
    int syncCount_ = 0;
    bool collecting_ = false;
    std::vector<std::uint8_t> frame_;
};

}  // namespace kvsim
