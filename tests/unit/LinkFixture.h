#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "AdressLevelTestAccess.h"
#include "facade/LibraryState.h"
#include "host/InProcessDevice.h"
#include "kvcom3/KvError.h"
#include "kvcom3/ManualClock.h"
#include "kvcom3/Ports.h"
#include "util/FakeSensor.h"
#include "wire/Bench.h"
#include "wire/Line.h"

// An address level on port 2, wired in process to the virtual sensor on a virtual clock, with
// its communication log collected.
class LinkFixture : public ::testing::Test {
  protected:
    static constexpr int kPort = 2;
    using Bytes = std::vector<std::uint8_t>;
    using Access = kvcom3::AdressLevelTestAccess;

    void SetUp() override {
        clock = std::make_shared<kvcom3::ManualClock>();
        kvcom3::setClock(clock);
        kvcom3::gConnection = kvcom3::Connection{true, kPort, -1, 0, 0};
        kvcom3::gCancel = false;
        kvcom3::gLeavePortOpen = false;
        kvcom3::gProtokoll = 0;
        level = std::make_unique<kvcom3::clsAdressLevel>();
        level->ComLogg.connect([this](std::string& text) { log.push_back(text); });
        level->Action.connect([this](std::string& text) { actions.push_back(text); });
    }
    void TearDown() override {
        kvcom3::unbindPort(kPort);
        kvcom3::setClock(nullptr);
        kvcom3::setEventPump(nullptr);
        kvcom3::gConnection = kvcom3::Connection{};
        kvcom3::gCancel = false;
        kvcom3::gLeavePortOpen = false;
        kvcom3::gProtokoll = 0;
    }

    // A sensor of the given platform part code with recognisable memory contents.
    static std::shared_ptr<kvtest::FakeSensor> sensorOfCode(int code, int platform, bool byteAccess,
                                                            int commandSet) {
        auto sensor = std::make_shared<kvtest::FakeSensor>(platform, byteAccess, commandSet);
        auto& ram = sensor->memory(kvsim::Space::RAM);
        for (std::size_t i = 0; i < ram.size(); ++i) ram[i] = static_cast<std::uint8_t>(i * 7);
        ram[65] = static_cast<std::uint8_t>(code << 3);
        auto& eeprom = sensor->memory(kvsim::Space::EEPROM);
        for (std::size_t i = 0; i < eeprom.size(); ++i) {
            eeprom[i] = static_cast<std::uint8_t>(i ^ 0xA5);
        }
        return sensor;
    }

    void attach(std::vector<kvsim::Station> stations, kvsim::LineOptions options = {}) {
        line = kvsim::makeLine(stations, options);
        device = std::make_shared<kvsim::InProcessDevice>(line);
        kvcom3::bindPort(kPort, device);
    }
    void attach(std::shared_ptr<kvsim::Sensor> sensor, int id = 0,
                kvsim::Protocol protocol = kvsim::Protocol::Kvbus) {
        attach({kvsim::Station{.sensor = std::move(sensor), .protocol = protocol, .id = id}});
    }

    // Runs `call` and returns the error it raised (number 0 when none).
    template <class Fn>
    static kvcom3::KvError errorOf(Fn&& call) {
        try {
            call();
        } catch (const kvcom3::KvError& e) {
            return e;
        }
        return kvcom3::KvError(0, "no error");
    }

    long countLog(const std::string& text) const {
        return std::count(log.begin(), log.end(), text);
    }

    const kvcom3::clsAdress* image(std::int32_t adr, std::uint8_t memType) {
        return Access::image(*level).find(adr, memType);
    }

    // What the host sent, as runs of bytes.
    std::vector<Bytes> sentChunks() const {
        std::vector<Bytes> out;
        for (const auto& chunk : line->transcript().chunks()) {
            if (chunk.direction == kvsim::Direction::ToDevice) out.push_back(chunk.bytes);
        }
        return out;
    }

    std::shared_ptr<kvcom3::ManualClock> clock;
    std::unique_ptr<kvcom3::clsAdressLevel> level;
    std::shared_ptr<kvsim::Line> line;
    std::shared_ptr<kvsim::InProcessDevice> device;
    std::vector<std::string> log;
    std::vector<std::string> actions;
};
