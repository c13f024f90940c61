// `kvtool calibrate cpSpaceTempOffsetAdjust` as a technician runs it, a process against kvsim on
// a pty paced at 9600 baud, timed from start to exit. Compared with the least its own transfers
// take on the line: the characters of both directions and the pauses of each attempt, taken from
// kvsim's transcript of that run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "BenchSupport.h"
#include "util/KvsimProcess.h"
#include "util/Subprocess.h"

namespace {

namespace fs = std::filesystem;

void BM_KvtoolCalibrateTemperatureOffset(benchmark::State& state) {
    const std::string kvtool =
        kvtest::firstExisting({kvtest::programDirectory() + "/../tools/kvtool"});
    if (kvtool.empty()) {
        state.SkipWithError("kvtool not built");
        return;
    }
    const fs::path transcript = fs::temp_directory_path() / "kv-bench-calibrate-transcript.txt";
    double wall = 0;
    double minimum = 0;
    for (auto _ : state) {
        double seconds = 0;
        {
            kvtest::KvsimProcess sensor({"--profile", "p8-co2-temp-rh", "--no-noise",
                                         "--temperature", "23.0", "--line-rate", "--transcript",
                                         transcript.string()});
            const auto start = std::chrono::steady_clock::now();
            const auto result = kvtest::run(
                {kvtool, "--device", sensor.path(), "calibrate", "cpSpaceTempOffsetAdjust",
                 "--no-input", "--input", "cvSpaceTempOffsetAdjustCorrectTemp=21.5"},
                std::chrono::seconds(60));
            seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (result.status != 0) {
                state.SkipWithError(("calibrate failed: " + result.err).c_str());
                return;
            }
            sensor.stop();
        }
        wall += seconds * 1000.0;
        minimum += kvbench::transcriptFigures(transcript).minimumMs;
    }
    fs::remove(transcript);
    const auto n = static_cast<double>(state.iterations());
    state.counters["wall_ms"] = wall / n;
    state.counters["minimum_ms"] = minimum / n;
    state.counters["ratio"] = wall / minimum;
}

}  // namespace

BENCHMARK(BM_KvtoolCalibrateTemperatureOffset)->Iterations(3)->Unit(benchmark::kMillisecond);
