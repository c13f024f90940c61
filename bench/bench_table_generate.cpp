// Table generation from a sensor definition file: TableGenerate05 on its own (it generates
// afresh on every call), and GetCO2Count05, whose first call for a part generates the table and
// whose later calls for the same part use the procedure's cached copy.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>

#include "../unit_cal/DefinitionFile.h"
#include "kvcal3/kvCalProcedure.h"

namespace {

constexpr std::uint8_t kPart = 7;

// A CO2 sensor's model up to 10,000 ppm, laid out as the maker's files are.
struct DefinitionBench {
    DefinitionBench() { writeDefinitionFile(directory.file("DEF00007.PDT"), DefCoefficients{}); }
    DefinitionDirectory directory;
};

void BM_TableGenerate05(benchmark::State& state) {
    DefinitionBench files;
    kvcal3::kvCalProcedure procedure;
    std::array<float, 16> table{};
    for (auto _ : state) {
        procedure.TableGenerate05(kPart, table);
        benchmark::DoNotOptimize(table);
    }
    state.counters["table_0"] = table[0];
}

void BM_GetCO2Count05FirstCall(benchmark::State& state) {
    DefinitionBench files;
    for (auto _ : state) {
        kvcal3::kvCalProcedure procedure;
        benchmark::DoNotOptimize(procedure.GetCO2Count05(kPart, 1000.0F));
    }
}

void BM_GetCO2Count05Cached(benchmark::State& state) {
    DefinitionBench files;
    kvcal3::kvCalProcedure procedure;
    procedure.GetCO2Count05(kPart, 1000.0F);
    for (auto _ : state) benchmark::DoNotOptimize(procedure.GetCO2Count05(kPart, 1000.0F));
}

}  // namespace

BENCHMARK(BM_TableGenerate05)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_GetCO2Count05FirstCall)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetCO2Count05Cached)->Unit(benchmark::kMicrosecond);
