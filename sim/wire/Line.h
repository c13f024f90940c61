#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "kvcom3/SerialDevice.h"
#include "wire/FaultInjector.h"
#include "wire/Slave.h"
#include "wire/Transcript.h"

namespace kvsim {

struct LineOptions {
    // Bytes take their time on the wire: (start + data + parity + stop bits) / baud each way.
    bool pacing = false;
    // Silence between the last byte of a request and the first byte of the answer.
    std::chrono::microseconds turnaround{0};
    std::uint32_t seed = 1;  // random faults and noise bytes
    // A two-wire adapter: the host hears every byte it sends, before any answer to it.
    bool echo = false;
};

// The wire between the host and the devices on it: it times the bytes in both directions,
// applies the faults, and keeps the transcript. Hosts (in process or on a pty) feed it what the
// host sends and collect what has reached the host by a given time. Thread-safe.
class Line {
  public:
    explicit Line(LineOptions options = {});

    // The device on the line (a sensor's slave or the production network).
    void attach(std::unique_ptr<Slave> device);
    // Slaves report their transfers here, so faults can be aimed at them.
    TransferObserver* observer() { return &faults_; }

    void setLineSettings(const kvcom3::LineSettings& settings);
    std::chrono::nanoseconds characterTime() const;

    void fromHost(std::span<const std::uint8_t> bytes, Timestamp now);
    // The bytes that have reached the host by `now`, oldest first.
    std::vector<std::uint8_t> takeDue(Timestamp now);
    std::optional<Timestamp> nextDue() const;
    // Drops the bytes still on their way (the host closed its port).
    void dropPending();
    // Runs the sensors' world up to `now`.
    void advanceTo(Timestamp now);

    void addFault(std::string_view text);
    void addFault(const FaultRule& rule);
    void clearFaults();
    int transfers(Domain domain) const;

    // The cable is pulled: nothing crosses the line any more.
    void unplug();
    bool unplugged() const;

    Transcript& transcript() { return transcript_; }

  private:
    void advanceLocked(Timestamp now);
    void send(Reply reply, Timestamp at);
    std::vector<std::uint8_t> shape(Reply& reply, Timestamp& delay);

    mutable std::mutex mutex_;
    LineOptions options_;
    FaultInjector faults_;
    Transcript transcript_;
    std::unique_ptr<Slave> device_;
    std::deque<std::pair<Timestamp, std::uint8_t>> pending_;
    Timestamp txFree_{};
    Timestamp rxFree_{};
    std::optional<Timestamp> lastAdvance_;
    std::uint32_t baud_ = 9600;
    int characterBits_ = 10;
    bool unplugged_ = false;
};

}  // namespace kvsim
