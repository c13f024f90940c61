#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "kvcom3/Clock.h"
#include "kvcom3/SerialDevice.h"

// A serial line whose far end answers every write with the next piece of the fuzz input: one
// length byte, then that many reply bytes. Once the input is used up the line stays silent, so
// the transfer runs into its time-outs and retries on the library clock.
class ReplyDevice final : public kvcom3::SerialDevice {
  public:
    explicit ReplyDevice(std::span<const std::uint8_t> script) : script_(script) {}

    std::string name() const override { return "fuzz"; }
    void open(const kvcom3::LineSettings&, bool) override { open_ = true; }
    void close() override {
        open_ = false;
        waiting_.clear();
    }
    bool isOpen() const override { return open_; }
    void applySettings(const kvcom3::LineSettings&) override {}
    void setRts(bool) override {}
    std::size_t bytesWaiting() override { return waiting_.size(); }
    std::vector<std::uint8_t> readAll() override { return std::exchange(waiting_, {}); }
    void write(std::span<const std::uint8_t>) override {
        if (script_.empty()) return;
        std::size_t length = std::min<std::size_t>(script_[0], script_.size() - 1);
        waiting_.insert(waiting_.end(), script_.begin() + 1, script_.begin() + 1 + length);
        script_ = script_.subspan(1 + length);
    }
    void waitReadable(std::chrono::milliseconds limit) override { kvcom3::clock().sleep(limit); }

  private:
    std::span<const std::uint8_t> script_;
    std::vector<std::uint8_t> waiting_;
    bool open_ = false;
};
