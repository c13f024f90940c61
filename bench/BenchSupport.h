#pragma once

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
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

// What a kvsim transcript holds: the least its exchanges take (every character of both
// directions at 9600 baud, the pause between CTR and frame of every request, and the pause before
// every read attempt) and the number of requests. Pauses the library makes before other requests
// are left out, so a ratio against the minimum errs high.
struct TranscriptFigures {
    double minimumMs = 0;
    int requests = 0;
};

inline TranscriptFigures transcriptFigures(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    TranscriptFigures figures;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        double time = 0;
        std::string direction;
        fields >> time >> direction;
        int bytes = 0;
        unsigned first = 0;
        for (std::string hex; fields >> hex; ++bytes) {
            if (bytes == 0) first = static_cast<unsigned>(std::stoul(hex, nullptr, 16));
        }
        figures.minimumMs += bytes * kCharacterMs;
        // A request frame follows the address byte and its CTR. A read's command byte is 0x8_
        // (EEPROM, RAM below 256) or 0xC_ (RAM from 256); commands 0x9_ to 0xB_ and writes below
        // 0x80 have no pause before their first attempt.
        if (direction == "->" && bytes > 1) {
            ++figures.requests;
            figures.minimumMs += kFramePauseMs;
            if ((first & 0xB0) == 0x80) figures.minimumMs += kRetryPauseMs;
        }
    }
    return figures;
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
