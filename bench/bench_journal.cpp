// The EEPROM journal's own cost per write: the record of 4 changed bytes appended and synced to
// the disk before the write, the done mark after it, with the old values already in the image
// (as after the read that a change of a cell begins with). Compared with the least a KVBUS
// write of those 4 bytes takes on the line alone.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <vector>

#include "../unit/AdressLevelTestAccess.h"
#include "BenchSupport.h"
#include "journal/JournalWrite.h"
#include "kvcom3/Journal.h"
#include "kvcom3/clsAdressLevel.h"

namespace {

namespace fs = std::filesystem;
using Access = kvcom3::AdressLevelTestAccess;

// A platform 8 sensor of 2 kB EEPROM, serial number 12345, as the image knows it.
void knownSensor(kvcom3::MemoryImage& image) {
    const std::vector<std::uint8_t> part{152};
    const std::vector<std::uint8_t> sizeCode{1};
    const std::vector<std::uint8_t> serial{0x39, 0x30, 0x00};
    image.enterRead(65, kvcom3::kvRAM, part);
    image.enterRead(65513, kvcom3::kvEEPROM, sizeCode);
    image.enterRead(2022, kvcom3::kvEEPROM, serial);
}

void BM_JournalPerEepromWrite(benchmark::State& state) {
    // On the disk the journal lives on, not in memory: the sync is what costs.
    std::string pattern = (fs::current_path() / "kv-bench-journal-XXXXXX").string();
    const fs::path dir = ::mkdtemp(pattern.data());
    kvcom3::enableJournal("kv_bench", dir);
    kvcom3::setJournalOperation("bench");
    kvcom3::clsAdressLevel level;
    kvcom3::MemoryImage& image = Access::image(level);
    knownSensor(image);
    const std::vector<std::uint8_t> old{1, 2, 3, 4};
    double cpu = 0;
    double wall = 0;
    std::uint8_t next = 0;
    for (auto _ : state) {
        image.enterRead(200, kvcom3::kvEEPROM, old);
        for (std::int32_t a = 200; a < 204; ++a) image.find(a, kvcom3::kvEEPROM)->Value = ++next;
        const auto start = std::chrono::steady_clock::now();
        const double before = kvbench::processCpuSeconds();
        auto write =
            kvcom3::JournalWrite::begin(level, image, 200, 4, kvcom3::kvEEPROM, true, false, 8);
        write.done();
        cpu += kvbench::processCpuSeconds() - before;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    kvcom3::disableJournal();
    fs::remove_all(dir);
    const auto n = static_cast<double>(state.iterations());
    const double minimum = kvbench::kvbusWriteMinimumMs(4, true);
    state.counters["minimum_ms"] = minimum;
    state.counters["journal_wall_ms"] = wall * 1000.0 / n;
    state.counters["journal_cpu_ms"] = cpu * 1000.0 / n;
    state.counters["wall_percent_of_write"] = 100.0 * wall * 1000.0 / n / minimum;
    state.counters["cpu_percent_of_write"] = 100.0 * cpu * 1000.0 / n / minimum;
}

// A whole WriteToSensor of 4 changed EEPROM bytes (unlock, write, verify, lock) at the line's
// pace, without the journal (argument 0) and with it (1): the journal's share of a write.
void BM_KvbusWriteToSensor4Eeprom(benchmark::State& state) {
    constexpr int kPort = 5;
    kvbench::PacedP8Line bench(kPort);
    bench.sensor->memory(kvsim::Space::EEPROM)[65513 & 2047] = 1;  // 2 kB
    std::string pattern = (fs::current_path() / "kv-bench-journal-XXXXXX").string();
    const fs::path dir = ::mkdtemp(pattern.data());
    if (state.range(0) == 1) kvcom3::enableJournal("kv_bench", dir);
    kvcom3::clsAdressLevel level;
    level.ReadFromSensor(200, 4, kvcom3::kvEEPROM);
    double cpu = 0;
    double wall = 0;
    std::int32_t next = 0;
    for (auto _ : state) {
        for (std::int32_t a = 200; a < 204; ++a)
            level.LetValue(a, 1, kvcom3::kvEEPROM, false, 0, kvcom3::kvLSByteAtHighAdress,
                           ++next & 0xFF);
        const auto start = std::chrono::steady_clock::now();
        const double before = kvbench::processCpuSeconds();
        level.WriteToSensor(200, 4, kvcom3::kvEEPROM);
        cpu += kvbench::processCpuSeconds() - before;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    kvcom3::disableJournal();
    fs::remove_all(dir);
    const auto n = static_cast<double>(state.iterations());
    state.counters["write_wall_ms"] = wall * 1000.0 / n;
    state.counters["write_cpu_ms"] = cpu * 1000.0 / n;
}

}  // namespace

BENCHMARK(BM_KvbusWriteToSensor4Eeprom)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(30);
BENCHMARK(BM_JournalPerEepromWrite)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(200);
