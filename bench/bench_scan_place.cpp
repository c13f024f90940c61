// What a place without a sensor costs: the first read at an address nobody answers (the part
// byte, as identifying a sensor begins), on the line paced at 9600 baud, with a scan's attempts
// and, for comparison, with a transfer's own.
#include <benchmark/benchmark.h>

#include <optional>

#include "../unit/AdressLevelTestAccess.h"
#include "BenchSupport.h"
#include "kvcom3/KvError.h"
#include "kvcom3/ScanAttempts.h"

namespace {

using Access = kvcom3::AdressLevelTestAccess;

constexpr int kPort = 6;
// The sensor on the line answers KVBUS address 0 only.
constexpr std::int16_t kEmptyAddress = 3;

void emptyPlace(benchmark::State& state, std::uint8_t protocol, bool scan) {
    kvbench::PacedP8Line bench(kPort);
    kvcom3::gConnection.ComID = kEmptyAddress;
    kvcom3::gProtokoll = protocol;
    std::optional<kvcom3::ScanAttempts> attempts;
    if (scan) attempts.emplace();
    for (auto _ : state) {
        kvcom3::clsAdressLevel level;
        try {
            Access::ReadBlock(level, 65, 1, kvcom3::kvRAM);
            state.SkipWithError("a sensor answered at the empty place");
            break;
        } catch (const kvcom3::KvError&) {
        }
    }
    kvcom3::gProtokoll = kvcom3::kvKV;
}

void BM_ScanEmptyPlaceKvbus(benchmark::State& state) {
    emptyPlace(state, kvcom3::kvKV, true);
}
void BM_ScanEmptyPlaceModbus(benchmark::State& state) {
    emptyPlace(state, kvcom3::kvMB, true);
}
void BM_TransferEmptyPlaceKvbus(benchmark::State& state) {
    emptyPlace(state, kvcom3::kvKV, false);
}
void BM_TransferEmptyPlaceModbus(benchmark::State& state) {
    emptyPlace(state, kvcom3::kvMB, false);
}

}  // namespace

BENCHMARK(BM_ScanEmptyPlaceKvbus)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_ScanEmptyPlaceModbus)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);
BENCHMARK(BM_TransferEmptyPlaceKvbus)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_TransferEmptyPlaceModbus)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
