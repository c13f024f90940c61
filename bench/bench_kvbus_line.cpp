// KVBUS transfers against the virtual sensor at the line's pace (9600 baud, 10 bits a character,
// no turnaround): wall time against the least the protocol's pauses and the line allow, and the
// CPU time spent per transfer. The main figures wait on a device that hands each byte over when
// it is due; the "SimHost" rows repeat them on the virtual sensor's own in-process host, which
// wakes its waiter on whole milliseconds, to show what that costs the measurement.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "../unit/AdressLevelTestAccess.h"
#include "BenchSupport.h"
#include "host/InProcessDevice.h"

namespace {

using Access = kvcom3::AdressLevelTestAccess;
using kvbench::PacedP8Line;

constexpr int kPort = 4;

struct Transfers {
    explicit Transfers(bool simHost) : bench(kPort) {
        if (simHost) kvcom3::bindPort(kPort, std::make_shared<kvsim::InProcessDevice>(bench.line));
        Access::ReadBlock(level, 65, 1, kvcom3::kvRAM);
    }
    PacedP8Line bench;
    kvcom3::clsAdressLevel level;
};

// Runs `transfer` and reports wall time over the line minimum and CPU over wall time.
template <class Transfer>
void measure(benchmark::State& state, double minimumMs, Transfer&& transfer) {
    double cpu = 0;
    double wall = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        double before = kvbench::processCpuSeconds();
        transfer();
        cpu += kvbench::processCpuSeconds() - before;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    auto n = static_cast<double>(state.iterations());
    state.counters["minimum_ms"] = minimumMs;
    state.counters["wall_over_minimum"] = wall * 1000.0 / n / minimumMs;
    state.counters["cpu_percent"] = 100.0 * cpu / wall;
}

void read6BytesRam(benchmark::State& state, bool simHost) {
    Transfers bench(simHost);
    measure(state, kvbench::kvbusReadMinimumMs(6, false),
            [&] { Access::ReadBlock(bench.level, 100, 6, kvcom3::kvRAM); });
}

void write4BytesEeprom(benchmark::State& state, bool simHost) {
    Transfers bench(simHost);
    Access::SendCommand(bench.level, kvcom3::cmdUnlockEEPROM);
    for (int i = 0; i < 4; ++i) Access::setImage(bench.level, 200 + i, kvcom3::kvEEPROM, 0x5A);
    measure(state, kvbench::kvbusWriteMinimumMs(4, true),
            [&] { Access::WriteBlock(bench.level, 200, 4, kvcom3::kvEEPROM); });
}

void BM_KvbusRead6BytesRam(benchmark::State& state) {
    read6BytesRam(state, false);
}
void BM_KvbusWrite4BytesEeprom(benchmark::State& state) {
    write4BytesEeprom(state, false);
}
void BM_KvbusRead6BytesRam_SimHost(benchmark::State& state) {
    read6BytesRam(state, true);
}
void BM_KvbusWrite4BytesEeprom_SimHost(benchmark::State& state) {
    write4BytesEeprom(state, true);
}

}  // namespace

BENCHMARK(BM_KvbusRead6BytesRam)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);
BENCHMARK(BM_KvbusWrite4BytesEeprom)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);
BENCHMARK(BM_KvbusRead6BytesRam_SimHost)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);
BENCHMARK(BM_KvbusWrite4BytesEeprom_SimHost)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20);
