#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "kvcom3/SerialDevice.h"
#include "wire/Line.h"

namespace kvbench {

// The virtual sensor's line behind the serial device interface, for runs on the real clock. A
// wait ends when the next byte is due to the nanosecond, as a UART's receive interrupt would end
// poll(); the virtual sensor's own hosts wake on whole milliseconds, which would put up to a
// millisecond of their own on every wait. Counts the bytes in both directions.
//
// With a latency timer it imitates a USB adapter of the FTDI kind: received bytes are handed
// over only on the timer's ticks. A driver that honours low latency sets the timer to 1 ms when
// asked, as ftdi_sio does.
struct UsbLatency {
    std::chrono::nanoseconds timer{0};
    bool honoursLowLatency = false;
};

class ExactLineDevice final : public kvcom3::SerialDevice {
  public:
    explicit ExactLineDevice(std::shared_ptr<kvsim::Line> line, UsbLatency latency = {});

    std::string name() const override { return "exact-line"; }
    void open(const kvcom3::LineSettings& settings, bool rts) override;
    void close() override;
    bool isOpen() const override { return open_; }
    void applySettings(const kvcom3::LineSettings& settings) override;
    void setRts(bool) override {}
    std::size_t bytesWaiting() override;
    std::vector<std::uint8_t> readAll() override;
    void write(std::span<const std::uint8_t> bytes) override;
    void waitReadable(std::chrono::milliseconds limit) override;
    bool requestLowLatency() override;

    std::size_t bytesSent() const { return sent_; }
    std::size_t bytesReceived() const { return received_; }

  private:
    void collect();
    // The last tick by `now`, and the first at or after `t`: when held bytes are handed over.
    kvsim::Timestamp handedOverBy(kvsim::Timestamp now) const;
    kvsim::Timestamp tickAtOrAfter(kvsim::Timestamp t) const;

    UsbLatency latency_;

    std::shared_ptr<kvsim::Line> line_;
    std::vector<std::uint8_t> input_;
    bool open_ = false;
    std::size_t sent_ = 0;
    std::size_t received_ = 0;
};

}  // namespace kvbench
