// CPU spent while a transfer waits for a sensor that never answers: the wait must block, not spin.
#include <benchmark/benchmark.h>

#include <ctime>

#include "PtyPair.h"
#include "facade/LibraryState.h"
#include "kvcom3/Ports.h"
#include "link/ComPort.h"

namespace {

double processCpuSeconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void BM_WaitOneSecondForSilence(benchmark::State& state) {
    PtyPair pty;
    kvcom3::bindPort(9, pty.slavePath());
    kvcom3::gConnection = kvcom3::Connection{true, 9, -1, 0, 0};
    kvcom3::OpenCOMport();
    double cpu = 0;
    for (auto _ : state) {
        double before = processCpuSeconds();
        benchmark::DoNotOptimize(kvcom3::WaitForBytes(1, std::chrono::seconds(1)));
        cpu += processCpuSeconds() - before;
    }
    kvcom3::CloseCOMport();
    kvcom3::unbindPort(9);
    state.counters["cpu_ms_per_wait"] = cpu * 1000.0 / static_cast<double>(state.iterations());
}

}  // namespace

BENCHMARK(BM_WaitOneSecondForSilence)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
