// The memory map and the object tree from a memory image that already holds every byte the
// builders read (no sensor traffic): the generation of the largest map (platform 8 under Modbus,
// four loggers of 1,000 items) with its object tree, and the look-up of a node by key, first,
// last and missing in pre-order, on both levels.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "../unit/AdressLevelTestAccess.h"
#include "facade/LibraryState.h"
#include "facade/clsErrors.h"
#include "kvcom3/KvError.h"
#include "kvcom3/clsArrayLevel.h"
#include "kvcom3/clsObjectLevel.h"

namespace {

using Access = kvcom3::AdressLevelTestAccess;

constexpr std::int32_t kEeprom = 2048;
constexpr std::int32_t kLoggerItems = 1000;

// An address level of a platform-8 sensor whose whole EEPROM is in the image, the map and the
// tree over it, installed as the library's current levels.
struct FullImage {
    FullImage() {
        kvcom3::gConnection = kvcom3::Connection{true, 5, -1, 0, 0};
        kvcom3::gProtokoll = kvcom3::kvMB;
        kvcom3::gAdressLevel = level;
        kvcom3::gArrayLevel = map;
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
        kvcom3::gArrayLevel.reset();
        kvcom3::gAdressLevel.reset();
        kvcom3::gConnection = kvcom3::Connection{};
        kvcom3::gProtokoll = kvcom3::kvKV;
    }
    void word(std::int32_t adr, std::int32_t value) {
        Access::setImage(*level, adr, kvcom3::kvEEPROM, static_cast<std::uint8_t>(value >> 8));
        Access::setImage(*level, adr + 1, kvcom3::kvEEPROM, static_cast<std::uint8_t>(value));
    }

    std::shared_ptr<kvcom3::clsAdressLevel> level = std::make_shared<kvcom3::clsAdressLevel>();
    std::shared_ptr<kvcom3::clsArrayLevel> map = std::make_shared<kvcom3::clsArrayLevel>();
    kvcom3::clsObjectLevel tree;
};

long countNodes(const kvcom3::kvArrayNodes& nodes) {
    long n = nodes.Count();
    for (const auto& node : nodes) n += countNodes(*node->Nodes());
    return n;
}

long countNodes(const kvcom3::kvObjectNodes& nodes) {
    long n = nodes.Count();
    for (const auto& node : nodes) {
        if (node->Nodes()) n += countNodes(*node->Nodes());
    }
    return n;
}

// The key of the last node in pre-order.
std::string lastKey(const kvcom3::kvObjectNodes& nodes) {
    std::string key;
    for (const auto& node : nodes) {
        key = node->Key();
        if (node->Nodes() && node->Nodes()->Count() > 0) key = lastKey(*node->Nodes());
    }
    return key;
}

// Generation on fresh levels over a fresh image, as after Connect; building the image and
// releasing the levels of the previous round are left out of the time.
void generateFresh(benchmark::State& state, bool withTree) {
    std::unique_ptr<FullImage> image;
    for (auto _ : state) {
        state.PauseTiming();
        image.reset();
        image = std::make_unique<FullImage>();
        state.ResumeTiming();
        image->map->Generate();
        if (withTree) benchmark::DoNotOptimize(image->tree.Nodes());
    }
    state.counters["map_nodes"] = static_cast<double>(countNodes(*image->map->Nodes()));
    if (withTree) {
        state.counters["tree_nodes"] = static_cast<double>(countNodes(*image->tree.Nodes()));
    }
}

void BM_GeneratePlatform8ModbusMap(benchmark::State& state) {
    generateFresh(state, false);
}
void BM_GeneratePlatform8ModbusMapAndTree(benchmark::State& state) {
    generateFresh(state, true);
}

// Clear and generate again within the same levels: the heap the old map and tree leave behind
// is taken up again by the new ones, which costs malloc a consolidation pass.
void BM_RegenerateMapAndTreeAfterClear(benchmark::State& state) {
    FullImage image;
    for (auto _ : state) {
        state.PauseTiming();
        image.map->Clear();
        image.tree.Clear();
        state.ResumeTiming();
        image.map->Generate();
        benchmark::DoNotOptimize(image.tree.Nodes());
    }
}

// The tree alone, over a map generated and indexed before.
void BM_GeneratePlatform8Tree(benchmark::State& state) {
    FullImage image;
    image.map->Generate();
    std::string parent;
    image.map->GetNode("eaEEPROM", parent);
    for (auto _ : state) {
        state.PauseTiming();
        image.tree.Clear();
        state.ResumeTiming();
        benchmark::DoNotOptimize(image.tree.Nodes());
    }
}

void lookUp(benchmark::State& state, const char* key) {
    FullImage image;
    image.map->Generate();
    std::string parent;
    image.map->GetNode("eaEEPROM", parent);  // the index is built by the first look-up
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(image.map->GetNode(key, parent));
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

// Look-ups in the object tree; which key is first and last is read from the built tree.
enum class TreeKey { First, Last, Missing };

void treeLookUp(benchmark::State& state, TreeKey which) {
    FullImage image;
    const auto top = image.tree.Nodes();
    std::string key = "foNoSuchObject";
    if (which == TreeKey::First) key = (*top->begin())->Key();
    if (which == TreeKey::Last) key = lastKey(*top);
    image.tree.GetNode(key);
    for (auto _ : state) benchmark::DoNotOptimize(image.tree.GetNode(key));
    state.SetLabel(key);
}

void BM_ObjectGetNodeFirstKey(benchmark::State& state) {
    treeLookUp(state, TreeKey::First);
}
void BM_ObjectGetNodeLastKey(benchmark::State& state) {
    treeLookUp(state, TreeKey::Last);
}
void BM_ObjectGetNodeMissingKey(benchmark::State& state) {
    treeLookUp(state, TreeKey::Missing);
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
BENCHMARK(BM_GeneratePlatform8ModbusMapAndTree)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RegenerateMapAndTreeAfterClear)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_GeneratePlatform8Tree)
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
BENCHMARK(BM_ObjectGetNodeFirstKey)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ObjectGetNodeLastKey)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ObjectGetNodeMissingKey)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RaiseObjectNotFound)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
