// CPU spent while the library waits: for a sensor that never answers (the wait must block, not
// spin), and over a whole-RAM read of a platform-8 sensor at the line's pace, where nearly all
// of the time is pauses and characters on the wire.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "BenchSupport.h"
#include "PtyPair.h"
#include "facade/LibraryState.h"
#include "kvcom3/Ports.h"
#include "kvcom3/clsAdressLevel.h"
#include "link/ComPort.h"

namespace {

void BM_WaitOneSecondForSilence(benchmark::State& state) {
    PtyPair pty;
    kvcom3::bindPort(9, pty.slavePath());
    kvcom3::gConnection = kvcom3::Connection{true, 9, -1, 0, 0};
    kvcom3::OpenCOMport();
    double cpu = 0;
    for (auto _ : state) {
        double before = kvbench::processCpuSeconds();
        benchmark::DoNotOptimize(kvcom3::WaitForBytes(1, std::chrono::seconds(1)));
        cpu += kvbench::processCpuSeconds() - before;
    }
    kvcom3::CloseCOMport();
    kvcom3::unbindPort(9);
    kvcom3::gConnection = kvcom3::Connection{};
    state.counters["cpu_ms_per_wait"] = cpu * 1000.0 / static_cast<double>(state.iterations());
}

// ReadFromSensor with n = 0: RAM 0-2047 in blocks of 6, the part byte already known.
void BM_ReadWholeRamPlatform8(benchmark::State& state) {
    kvbench::PacedP8Line bench(6);
    double cpu = 0;
    double wall = 0;
    int transfers = 0;
    for (auto _ : state) {
        const kvbench::WholeRamRead read = kvbench::readWholeRamOnce();
        cpu += read.cpuSeconds;
        wall += read.wallSeconds;
        transfers = read.transfers;
    }
    double minimumMs = 0;
    for (int adr = 0; adr < 2048; adr += 6) {
        minimumMs += kvbench::kvbusReadMinimumMs(std::min(6, 2048 - adr), adr > 511);
    }
    auto n = static_cast<double>(state.iterations());
    state.counters["transfers"] = transfers;
    state.counters["cpu_percent"] = 100.0 * cpu / wall;
    state.counters["wall_over_minimum"] = wall * 1000.0 / n / minimumMs;
}

}  // namespace

BENCHMARK(BM_WaitOneSecondForSilence)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadWholeRamPlatform8)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
