#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kvcom3 {

// The echo of a line that hears its own frames (a two-wire RS-485 adapter): every byte sent
// comes back first, and is taken off here by comparing, not by counting. A byte that differs
// from the one due is a line fault: the exchange is spoiled, so what follows is dropped until the
// next frame is sent.
class LineEcho {
  public:
    struct Heard {
        std::vector<std::uint8_t> data;    // what is not the echo
        std::optional<std::string> fault;  // the line fault, with the bytes sent and heard
    };

    // The bytes just sent; their echo is due after the echo still outstanding.
    void sent(std::span<const std::uint8_t> bytes);
    Heard take(std::span<const std::uint8_t> bytes);
    // True from a fault until the next frame is sent.
    bool faulted() const { return faulted_; }
    // Forgets every echo due (the line was closed or opened).
    void reset();

  private:
    std::vector<std::uint8_t> due_;  // sent, echo outstanding from `echoed_` on
    std::size_t echoed_ = 0;
    bool faulted_ = false;
};

}  // namespace kvcom3
