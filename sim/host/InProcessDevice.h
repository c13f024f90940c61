#pragma once

#include <memory>
#include <string>
#include <vector>

#include "kvcom3/SerialDevice.h"
#include "wire/Line.h"

namespace kvsim {

// The bench behind the serial device interface, in the caller's process. Time is the library's
// clock: replies arrive after the line's turnaround and pacing on kvcom3::clock(), so with a
// virtual clock installed a test runs at once. waitReadable sleeps until the next byte arrives
// (or the limit), whether or not bytes are already waiting, like the termios backend. An unplugged
// line fails every operation with the platform's "Path/File access error".
class InProcessDevice final : public kvcom3::SerialDevice {
  public:
    explicit InProcessDevice(std::shared_ptr<Line> line, std::string name = "kvsim");

    std::string name() const override { return name_; }
    void open(const kvcom3::LineSettings& settings, bool rts) override;
    void close() override;
    bool isOpen() const override { return open_; }
    void applySettings(const kvcom3::LineSettings& settings) override;
    void setRts(bool on) override;
    std::size_t bytesWaiting() override;
    std::vector<std::uint8_t> readAll() override;
    void write(std::span<const std::uint8_t> bytes) override;
    void waitReadable(std::chrono::milliseconds limit) override;

    Line& line() { return *line_; }
    bool rts() const { return rts_; }
    const kvcom3::LineSettings& settings() const { return settings_; }

  private:
    void collect();
    void requireUsable(const char* operation) const;

    std::shared_ptr<Line> line_;
    std::string name_;
    kvcom3::LineSettings settings_;
    bool open_ = false;
    bool rts_ = false;
    std::vector<std::uint8_t> received_;
};

}  // namespace kvsim
