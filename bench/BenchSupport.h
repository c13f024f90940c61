#pragma once

#include <chrono>
#include <ctime>
#include <memory>
#include <string>

#include "ExactLineDevice.h"
#include "facade/LibraryState.h"
#include "kvcom3/Ports.h"
#include "kvcom3/clsAdressLevel.h"
#include "util/FakeSensor.h"
#include "wire/Bench.h"
#include "wire/Line.h"

namespace kvbench {

// One KVBUS character at 9600 baud, 8N1 (start, 8 data, stop), in milliseconds.
constexpr double kCharacterMs = 10.0 * 1000.0 / 9600.0;
// The pauses of a KVBUS attempt: before a read attempt, and between CTR and frame.
constexpr double kRetryPauseMs = 20.0;
constexpr double kFramePauseMs = 30.0;

// The least a KVBUS read of n bytes takes: pause, address byte, CTR, pause, 4-byte frame
// (5 with a 16-bit address), reply of ACK, n bytes and checksum.
inline double kvbusReadMinimumMs(int n, bool longAddress) {
    return kRetryPauseMs + kFramePauseMs + (2 + (longAddress ? 4 : 3) + n + 2) * kCharacterMs;
}

// The least a first-attempt KVBUS write of n bytes takes: address byte, CTR, pause, frame of
// command, address, data and checksum, ACK.
inline double kvbusWriteMinimumMs(int n, bool longAddress) {
    return kFramePauseMs + (2 + (longAddress ? 4 : 3) + n + 1) * kCharacterMs;
}

inline double processCpuSeconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// A platform-8 sensor (part code 20, byte access, command set 2) on a line paced at 9600 baud,
// bound to `port` through the exact-timing device (imitating a USB adapter's latency timer if
// asked), with the connection installed.
struct PacedP8Line {
    explicit PacedP8Line(int port, UsbLatency latency = {}) : port(port) {
        sensor = std::make_shared<kvtest::FakeSensor>(8, true, 2);
        sensor->memory(kvsim::Space::RAM)[65] = 20 << 3;
        line =
            kvsim::makeLine({kvsim::Station{.sensor = sensor}}, kvsim::LineOptions{.pacing = true});
        device = std::make_shared<ExactLineDevice>(line, latency);
        kvcom3::bindPort(port, device);
        kvcom3::gConnection = kvcom3::Connection{true, static_cast<std::int16_t>(port), -1, 0, 0};
    }
    ~PacedP8Line() {
        kvcom3::unbindPort(port);
        kvcom3::gConnection = kvcom3::Connection{};
    }
    PacedP8Line(const PacedP8Line&) = delete;
    PacedP8Line& operator=(const PacedP8Line&) = delete;

    int port;
    std::shared_ptr<kvtest::FakeSensor> sensor;
    std::shared_ptr<kvsim::Line> line;
    std::shared_ptr<ExactLineDevice> device;
};

// One whole-RAM read of a platform-8 sensor (RAM 0-2047 in blocks of 6, the part byte already
// known) on a fresh address level: its wall and CPU seconds and the transfers it took.
struct WholeRamRead {
    double wallSeconds = 0;
    double cpuSeconds = 0;
    int transfers = 0;
};

inline WholeRamRead readWholeRamOnce() {
    kvcom3::clsAdressLevel level;
    level.Part();
    WholeRamRead read;
    level.ComLogg.connect([&](std::string& text) {
        if (text.rfind("Reading ", 0) == 0) ++read.transfers;
    });
    const auto start = std::chrono::steady_clock::now();
    const double before = processCpuSeconds();
    level.ReadFromSensor(0, 0, kvcom3::kvRAM, kvcom3::kvReadFromSensor);
    read.cpuSeconds = processCpuSeconds() - before;
    read.wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return read;
}

}  // namespace kvbench
