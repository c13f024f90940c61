// KVBUS transfers against the virtual sensor at the line's pace (9600 baud, 10 bits a character,
// no turnaround): wall time against the minimum the protocol's pauses and the line allow, and
// the CPU time spent per transfer.
#include <benchmark/benchmark.h>

#include <ctime>
#include <memory>

#include "../unit/AdressLevelTestAccess.h"
#include "facade/LibraryState.h"
#include "host/InProcessDevice.h"
#include "kvcom3/Ports.h"
#include "util/FakeSensor.h"
#include "wire/Bench.h"
#include "wire/Line.h"

namespace {

using Access = kvcom3::AdressLevelTestAccess;

constexpr double kCharacterMs = 10.0 * 1000.0 / 9600.0;

double processCpuSeconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

struct PacedSensor {
    PacedSensor() {
        sensor = std::make_shared<kvtest::FakeSensor>(8, true, 2);
        sensor->memory(kvsim::Space::RAM)[65] = 20 << 3;
        auto line =
            kvsim::makeLine({kvsim::Station{.sensor = sensor}}, kvsim::LineOptions{.pacing = true});
        kvcom3::bindPort(4, std::make_shared<kvsim::InProcessDevice>(line));
        kvcom3::gConnection = kvcom3::Connection{true, 4, -1, 0, 0};
        Access::ReadBlock(level, 65, 1, kvcom3::kvRAM);
    }
    ~PacedSensor() { kvcom3::unbindPort(4); }

    std::shared_ptr<kvtest::FakeSensor> sensor;
    kvcom3::clsAdressLevel level;
};

// Runs `transfer` and reports wall time over the line minimum and CPU over wall time.
template <class Transfer>
void measure(benchmark::State& state, double minimumMs, Transfer&& transfer) {
    double cpu = 0;
    double wall = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        double before = processCpuSeconds();
        transfer();
        cpu += processCpuSeconds() - before;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    auto n = static_cast<double>(state.iterations());
    state.counters["minimum_ms"] = minimumMs;
    state.counters["wall_over_minimum"] = wall * 1000.0 / n / minimumMs;
    state.counters["cpu_percent"] = 100.0 * cpu / wall;
}

void BM_KvbusRead6BytesRam(benchmark::State& state) {
    PacedSensor bench;
    // Pause, address byte, CTR, pause, 4-byte frame, 8-byte reply.
    double minimum = 20.0 + 30.0 + 14 * kCharacterMs;
    measure(state, minimum, [&] { Access::ReadBlock(bench.level, 100, 6, kvcom3::kvRAM); });
}

void BM_KvbusWrite4BytesEeprom(benchmark::State& state) {
    PacedSensor bench;
    Access::SendCommand(bench.level, kvcom3::cmdUnlockEEPROM);
    for (int i = 0; i < 4; ++i) Access::setImage(bench.level, 200 + i, kvcom3::kvEEPROM, 0x5A);
    // Address byte, CTR, pause, 8-byte frame, ACK.
    double minimum = 30.0 + 11 * kCharacterMs;
    measure(state, minimum, [&] { Access::WriteBlock(bench.level, 200, 4, kvcom3::kvEEPROM); });
}

}  // namespace

BENCHMARK(BM_KvbusRead6BytesRam)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);
BENCHMARK(BM_KvbusWrite4BytesEeprom)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);
