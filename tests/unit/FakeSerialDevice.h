#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "kvcom3/Clock.h"
#include "kvcom3/SerialDevice.h"

// A scripted line for the serial layer's own tests: bytes become readable at given times on the
// library clock, and every call the layer makes is counted.
class FakeSerialDevice final : public kvcom3::SerialDevice {
  public:
    struct Arrival {
        kvcom3::Clock::Duration at;
        std::uint8_t byte;
    };

    std::string name() const override { return "fake"; }
    void open(const kvcom3::LineSettings& s, bool r) override {
        ++opens;
        open_ = true;
        settings = s;
        rts = r;
    }
    void close() override {
        ++closes;
        open_ = false;
    }
    bool isOpen() const override { return open_; }
    void applySettings(const kvcom3::LineSettings& s) override { settings = s; }
    void setRts(bool on) override { rts = on; }
    bool requestLowLatency() override {
        if (open_) ++lowLatencyRequests;
        return false;
    }
    bool requestRs485() override {
        if (open_) ++rs485Requests;
        return rs485Granted;
    }
    void waitSent() override { ++drains; }
    std::size_t bytesWaiting() override {
        ++countQueries;
        return arrived().size();
    }
    std::vector<std::uint8_t> readAll() override {
        auto bytes = arrived();
        pending.erase(pending.begin(), pending.begin() + static_cast<long>(bytes.size()));
        return bytes;
    }
    void write(std::span<const std::uint8_t> bytes) override {
        written.insert(written.end(), bytes.begin(), bytes.end());
        if (onWrite) onWrite(bytes);
    }
    void waitReadable(std::chrono::milliseconds limit) override {
        ++blockingWaits;
        auto now = kvcom3::clock().now();
        auto wake = now + limit;
        for (const auto& a : pending) {
            if (a.at > now) {
                wake = std::min(wake, a.at);
                break;
            }
        }
        kvcom3::clock().sleep(std::chrono::ceil<std::chrono::milliseconds>(wake - now));
    }

    // Bytes that arrive `after` from now, one character time apart.
    void arrive(std::vector<std::uint8_t> bytes, std::chrono::milliseconds after,
                std::chrono::microseconds spacing = std::chrono::microseconds(1042)) {
        auto at = kvcom3::clock().now() + after;
        for (auto b : bytes) {
            pending.push_back({at, b});
            at += spacing;
        }
    }

    kvcom3::LineSettings settings;
    bool rts = false;
    int opens = 0;
    int closes = 0;
    int countQueries = 0;
    int blockingWaits = 0;
    int lowLatencyRequests = 0;  // made while open
    int rs485Requests = 0;       // made while open
    bool rs485Granted = false;
    int drains = 0;
    std::vector<std::uint8_t> written;
    std::deque<Arrival> pending;
    // Runs after each write: a scripted answer, or a failure of the device itself.
    std::function<void(std::span<const std::uint8_t>)> onWrite;

  private:
    std::vector<std::uint8_t> arrived() const {
        std::vector<std::uint8_t> bytes;
        auto now = kvcom3::clock().now();
        for (const auto& a : pending) {
            if (a.at > now) break;
            bytes.push_back(a.byte);
        }
        return bytes;
    }

    bool open_ = false;
};
