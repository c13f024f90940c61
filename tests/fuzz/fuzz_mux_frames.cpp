// The virtual sensor's production-network switch: any byte stream on the line, with a device
// at a few positions, must leave it routed to some position and acknowledge only whole frames.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "wire/Multiplexer.h"

namespace {

// A device that answers nothing, so that every reply comes from the switch itself.
class QuietSlave final : public kvsim::Slave {
  public:
    void receive(std::uint8_t, kvsim::Timestamp, std::vector<kvsim::Reply>&) override {}
    void advance(double) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kvsim::Multiplexer mux(nullptr);
    mux.attach({1, 2}, std::make_unique<QuietSlave>());
    mux.attach({0x0102, 0x55}, std::make_unique<QuietSlave>());
    std::vector<kvsim::Reply> out;
    for (std::size_t i = 0; i < size; ++i) {
        out.clear();
        mux.receive(data[i], kvsim::Timestamp{}, out);
        for (const auto& reply : out) {
            if (reply.bytes.size() != 1 || reply.bytes[0] != kvsim::kMuxAck || i < 9) std::abort();
        }
    }
    mux.advance(0.1);
    return 0;
}
