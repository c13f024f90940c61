// The memory map from a memory image that already holds every byte the builders read: the
// generation of the largest map (platform 8 under Modbus, four loggers of 1,000 items) and the
// look-up of a cell by key, first, last and missing in pre-order.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "../unit/AdressLevelTestAccess.h"
#include "facade/LibraryState.h"
#include "facade/clsErrors.h"
#include "kvcom3/KvError.h"
#include "kvcom3/clsArrayLevel.h"

namespace {

using Access = kvcom3::AdressLevelTestAccess;

constexpr std::int32_t kEeprom = 2048;
constexpr std::int32_t kLoggerItems = 1000;

// An address level of a platform-8 sensor whose whole EEPROM is in the image, and a map over it.
struct FullImage {
    FullImage() {
        kvcom3::gConnection = kvcom3::Connection{true, 5, -1, 0, 0};
        kvcom3::gProtokoll = kvcom3::kvMB;
        kvcom3::gAdressLevel = level;
        Access::setImage(*level, 65, kvcom3::kvRAM, 20 << 3);
        for (std::int32_t a = 0; a < kEeprom; ++a) Access::setImage(*level, a, kvcom3::kvEEPROM, 0);
        Access::setImage(*level, 65513, kvcom3::kvEEPROM, 1);  // size code: 2 kB
        const std::int32_t bases[] = {164, 210, 380, 652, 716, 872};
        for (int i = 0; i < 6; ++i) word(kEeprom - 16 + 2 * i, bases[i]);
        Access::setImage(*level, 381, kvcom3::kvEEPROM, 2);  // menu layout 2
        for (int c = 0; c < 4; ++c) {
            word(872 + 8 * c, kLoggerItems);
            word(872 + 8 * c + 4, 904);
        }
    }
    ~FullImage() {
        kvcom3::gAdressLevel.reset();
        kvcom3::gConnection = kvcom3::Connection{};
        kvcom3::gProtokoll = kvcom3::kvKV;
    }
    void word(std::int32_t adr, std::int32_t value) {
        Access::setImage(*level, adr, kvcom3::kvEEPROM, static_cast<std::uint8_t>(value >> 8));
        Access::setImage(*level, adr + 1, kvcom3::kvEEPROM, static_cast<std::uint8_t>(value));
    }

    std::shared_ptr<kvcom3::clsAdressLevel> level = std::make_shared<kvcom3::clsAdressLevel>();
    kvcom3::clsArrayLevel map;
};

long countNodes(const kvcom3::kvArrayNodes& nodes) {
    long n = nodes.Count();
    for (const auto& node : nodes) n += countNodes(*node->Nodes());
    return n;
}

void BM_GeneratePlatform8ModbusMap(benchmark::State& state) {
    FullImage image;
    for (auto _ : state) {
        image.map.Clear();
        image.map.Generate();
    }
    state.counters["nodes"] = static_cast<double>(countNodes(*image.map.Nodes()));
}

void lookUp(benchmark::State& state, const char* key) {
    FullImage image;
    image.map.Generate();
    std::string parent;
    image.map.GetNode("eaEEPROM", parent);  // the index is built by the first look-up
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(image.map.GetNode(key, parent));
        } catch (const kvcom3::KvError& e) {
            benchmark::DoNotOptimize(e.number());
        }
    }
}

void BM_GetNodeLastKey(benchmark::State& state) {
    lookUp(state, "miDI_511");
}
void BM_GetNodeFirstKey(benchmark::State& state) {
    lookUp(state, "eaEEPROM");
}
void BM_GetNodeMissingKey(benchmark::State& state) {
    lookUp(state, "eaNoSuchCell");
}

// What raising the library's error costs by itself, the floor of a look-up that finds nothing.
void BM_RaiseObjectNotFound(benchmark::State& state) {
    for (auto _ : state) {
        try {
            kvcom3::clsErrors().Raise(kvcom3::errObjectNotFound);
        } catch (const kvcom3::KvError& e) {
            benchmark::DoNotOptimize(e.number());
        }
    }
}

}  // namespace

BENCHMARK(BM_GeneratePlatform8ModbusMap)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_GetNodeLastKey)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_GetNodeFirstKey)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_GetNodeMissingKey)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RaiseObjectNotFound)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
