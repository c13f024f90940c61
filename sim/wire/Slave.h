#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

namespace kvsim {

using Timestamp = std::chrono::nanoseconds;

// What a reply is, so that faults can be aimed at one kind of answer.
enum class ReplyKind : std::uint8_t {
    Ctr,     // KVBUS clear-to-receive after the address byte
    Answer,  // KVBUS reply to a frame (ACK, data, checksum)
    Modbus,  // a Modbus RTU reply or exception
    MuxAck,  // the production network's acknowledge of a switch frame
};

struct Reply {
    ReplyKind kind;
    std::vector<std::uint8_t> bytes;
};

// The two kinds of exchange on the line; each counts its own transfers.
enum class Domain : std::uint8_t { Sensor, Mux };

enum class Fault : std::uint8_t {
    NoCtr,
    WrongCtr,
    NoAck,
    WrongAck,
    BadChecksum,
    ShortReply,
    LateReply,
    Noise,
    EepromBitFlip,
    SilentMux,
    Unplug,
};

// Slaves announce each transfer here and ask whether a fault that changes their own behaviour
// (not just their reply bytes) applies to it.
class TransferObserver {
  public:
    virtual ~TransferObserver() = default;
    virtual void beginTransfer(Domain domain) = 0;
    virtual bool active(Fault fault) const = 0;
};

// A device on the line seen byte by byte: it hears what the host sends and answers with replies.
class Slave {
  public:
    virtual ~Slave() = default;
    // One byte that reached the device at `at`; replies to it are appended to `out`.
    virtual void receive(std::uint8_t byte, Timestamp at, std::vector<Reply>& out) = 0;
    // Lets the sensors' world run on by `seconds`.
    virtual void advance(double seconds) = 0;
};

}  // namespace kvsim
