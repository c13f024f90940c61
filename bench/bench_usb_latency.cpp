// What a USB adapter's latency timer costs a whole-RAM read of a platform-8 sensor at the line's
// pace, and what the library's low-latency request recovers: no timer (a UART or a pty), the
// FTDI default of 16 ms with a driver that ignores the request, and 16 ms with one that honours
// it by going down to 1 ms. The adapter is imitated by the bench's line device, which hands
// received bytes over only on the timer's ticks.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "BenchSupport.h"
#include "kvcom3/clsAdressLevel.h"

namespace {

using namespace std::chrono_literals;
using kvbench::UsbLatency;

void readWholeRam(benchmark::State& state, UsbLatency latency) {
    kvbench::PacedP8Line bench(6, latency);
    double wall = 0;
    int transfers = 0;
    for (auto _ : state) {
        const kvbench::WholeRamRead read = kvbench::readWholeRamOnce();
        wall += read.wallSeconds;
        transfers = read.transfers;
    }
    auto n = static_cast<double>(state.iterations());
    state.counters["transfers"] = transfers;
    state.counters["ms_per_transfer"] = wall * 1000.0 / n / transfers;
}

void BM_WholeRamNoLatencyTimer(benchmark::State& state) {
    readWholeRam(state, {});
}
void BM_WholeRamLatencyTimer16ms(benchmark::State& state) {
    readWholeRam(state, {.timer = 16ms, .honoursLowLatency = false});
}
void BM_WholeRamLatencyTimer16msLowLatency(benchmark::State& state) {
    readWholeRam(state, {.timer = 16ms, .honoursLowLatency = true});
}

}  // namespace

BENCHMARK(BM_WholeRamNoLatencyTimer)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_WholeRamLatencyTimer16ms)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_WholeRamLatencyTimer16msLowLatency)
    ->Unit(benchmark::kSecond)
    ->UseRealTime()
    ->Iterations(1);
