#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "kvcom3/Clock.h"
#include "kvcom3/Ports.h"
#include "kvcom3/SerialDevice.h"
#include "link/LineEcho.h"

namespace kvcom3 {

// One of the 24 port slots. The slot keeps its line settings and RTS state across open and
// close and hands every operation to the device its port number resolves to.
class PortSlot {
  public:
    explicit PortSlot(int number);

    int number() const { return number_; }
    // Assigns a settings string; an open port takes it at once.
    void setSettings(std::string_view text);
    void setSettings(const LineSettings& settings);
    const LineSettings& settings() const { return settings_; }
    std::string settingsText() const { return settings_.toString(); }

    void open();
    void close();
    bool isOpen() const;
    // The open device's word for the communication log; empty when there is none.
    std::string openNotice() const;

    void setRts(bool on);
    bool rts() const { return rts_; }

    std::size_t bytesWaiting();
    std::vector<std::uint8_t> readAll();
    void write(std::span<const std::uint8_t> bytes);
    // Characters 0-255 go out as one byte each.
    void writeChars(std::string_view chars);
    void waitReadable(std::chrono::milliseconds limit);

    // Time one character takes on the line with the present settings.
    std::chrono::microseconds characterTime() const;

    // The options given to the slot, else those of the environment (which may raise 380).
    PortOptions options() const;
    void setOptions(std::optional<PortOptions> options) { options_ = options; }
    // True from a spoiled echo until the next write: the exchange is lost, waiting is in vain.
    bool lineFault() const { return echo_ && echo_->faulted(); }
    // On a line opened with options (an adapter or converter rather than the sensor's own
    // line), waits until the line has been quiet for `silence`; otherwise returns at once.
    void keepSilence(std::chrono::microseconds silence);

    void bind(std::string devicePath);
    void bind(std::shared_ptr<SerialDevice> device);
    void unbind();
    std::string devicePath() const;

  private:
    SerialDevice& openDevice();
    // Takes what the device holds through the echo; only with echo on.
    void hearEcho();

    int number_;
    LineSettings settings_{};
    bool rts_ = false;
    std::string boundPath_;
    std::shared_ptr<SerialDevice> boundDevice_;
    std::shared_ptr<SerialDevice> device_;  // the device of the present open, if any
    std::optional<PortOptions> options_;
    // What the present open runs with: adapter options in force, RTS switched by the library
    // around each frame, the echo being taken off.
    bool adapterLine_ = false;
    bool rtsAroundFrames_ = false;
    std::optional<LineEcho> echo_;
    std::vector<std::uint8_t> heard_;  // received past the echo, not yet taken
    Clock::Duration quietFrom_{};      // when the line last carried a byte, on an adapter line
};

// The slot of a port number; raises 9 "Subscript out of range" outside 0-23.
PortSlot& portSlot(int port);

}  // namespace kvcom3
