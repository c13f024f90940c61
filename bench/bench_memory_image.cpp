// The memory image on its own: Value get and let of 1 to 4 bytes that the image already holds
// (no sensor traffic), emptying an image of 64 KiB, and the heap the image takes per stored byte.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>
#include <memory>

#include "../unit/AdressLevelTestAccess.h"
#include "kvcom3/clsAdressLevel.h"

namespace {

using Access = kvcom3::AdressLevelTestAccess;

constexpr std::int32_t kImageBytes = 65536;

void fill(kvcom3::clsAdressLevel& level, std::int32_t count) {
    for (std::int32_t a = 0; a < count; ++a) {
        Access::setImage(level, a, kvcom3::kvEEPROM, static_cast<std::uint8_t>(a));
    }
}

void BM_ImageValueGet(benchmark::State& state) {
    kvcom3::clsAdressLevel level;
    fill(level, 256);
    const auto bytes = static_cast<std::int32_t>(state.range(0));
    std::int32_t adr = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(level.Value(adr, bytes, kvcom3::kvEEPROM));
        adr = (adr + 1) & 127;
    }
}

void BM_ImageValueLet(benchmark::State& state) {
    kvcom3::clsAdressLevel level;
    fill(level, 256);
    const auto bytes = static_cast<std::int32_t>(state.range(0));
    std::int32_t adr = 0;
    for (auto _ : state) {
        level.LetValue(adr, bytes, kvcom3::kvEEPROM, false, 0, kvcom3::kvLSByteAtHighAdress, adr);
        adr = (adr + 1) & 127;
    }
}

void BM_ImageClear64KiB(benchmark::State& state) {
    kvcom3::clsAdressLevel level;
    for (auto _ : state) {
        state.PauseTiming();
        fill(level, kImageBytes);
        state.ResumeTiming();
        level.Clear();
    }
    state.counters["ns_per_byte"] = benchmark::Counter(
        static_cast<double>(kImageBytes),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Heap in use before and after 64 KiB of EEPROM enter a fresh image.
void BM_ImageHeapPerByte(benchmark::State& state) {
    double perByte = 0;
    for (auto _ : state) {
        auto level = std::make_unique<kvcom3::clsAdressLevel>();
        const auto before = ::mallinfo2().uordblks;
        fill(*level, kImageBytes);
        const auto after = ::mallinfo2().uordblks;
        perByte = static_cast<double>(after - before) / kImageBytes;
    }
    state.counters["heap_bytes_per_stored_byte"] = perByte;
}

}  // namespace

BENCHMARK(BM_ImageValueGet)->DenseRange(1, 4)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_ImageValueLet)->DenseRange(1, 4)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_ImageClear64KiB)->Unit(benchmark::kMicrosecond)->Iterations(50);
BENCHMARK(BM_ImageHeapPerByte)->Iterations(1);
