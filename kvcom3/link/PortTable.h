#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "kvcom3/SerialDevice.h"

namespace kvcom3 {

// One of the 24 port slots. The slot keeps its line settings and RTS state across open and
// close and hands every operation to the device its port number resolves to.
class PortSlot {
  public:
    explicit PortSlot(int number);

    int number() const { return number_; }
    // Assigns a settings string; an open port takes it at once.
    void setSettings(std::string_view text);
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

    void bind(std::string devicePath);
    void bind(std::shared_ptr<SerialDevice> device);
    void unbind();
    std::string devicePath() const;

  private:
    SerialDevice& openDevice();

    int number_;
    LineSettings settings_{};
    bool rts_ = false;
    std::string boundPath_;
    std::shared_ptr<SerialDevice> boundDevice_;
    std::shared_ptr<SerialDevice> device_;  // the device of the present open, if any
};

// The slot of a port number; raises 9 "Subscript out of range" outside 0-23.
PortSlot& portSlot(int port);

}  // namespace kvcom3
