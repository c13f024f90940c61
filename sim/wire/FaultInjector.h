#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "wire/Slave.h"

namespace kvsim {

// One fault and when it strikes: on the transfers first..last (1-based, counted per domain:
// sensor exchanges, multiplexer switches), or on each transfer with a probability.
struct FaultRule {
    Fault fault;
    int value = 0;  // late-reply milliseconds, noise byte count
    int first = 1;
    int last = 0x7FFFFFFF;
    double probability = 1.0;
};

// Text form, as on the kvsim command line: KIND[=VALUE][@N | @N-M | @N+][%PERCENT]
//   no-ctr, wrong-ctr, no-ack, wrong-ack, bad-checksum, short-reply, late-reply=MS, noise=COUNT,
//   eeprom-bitflip, silent-mux, unplug.  Without @ or % a fault strikes every transfer.
// Raises std::invalid_argument with the reason for text that does not parse.
FaultRule parseFaultRule(std::string_view text);
std::string_view faultName(Fault fault);
Domain faultDomain(Fault fault);

class FaultInjector final : public TransferObserver {
  public:
    explicit FaultInjector(std::uint32_t seed = 1);

    void add(const FaultRule& rule);
    void add(std::string_view text) { add(parseFaultRule(text)); }
    void clear();
    void reseed(std::uint32_t seed) { random_.seed(seed); }

    void beginTransfer(Domain domain) override;
    bool active(Fault fault) const override;
    // Value of the active rule of that fault (0 when none).
    int value(Fault fault) const;
    int transfers(Domain domain) const { return counts_[static_cast<std::size_t>(domain)]; }
    // A byte from the seeded generator, for noise.
    std::uint8_t randomByte();

  private:
    std::vector<FaultRule> rules_;
    std::array<int, 2> counts_{};
    static constexpr std::size_t kFaultCount = static_cast<std::size_t>(Fault::Unplug) + 1;
    std::array<int, kFaultCount> active_{};  // value + 1 of the striking rule, 0 when none
    std::mt19937 random_;
};

}  // namespace kvsim
