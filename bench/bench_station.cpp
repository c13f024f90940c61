// `kvstation run` over 1, 2 and 4 lines of line-rate kvsim sensors (each line a process on its
// own pty, four sensors behind its multiplexer), timed from start to exit: sensors finished per
// hour. The lines run in worker processes of their own and wait on their wires, so four lines
// should finish nearly four times the sensors of one.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "util/KvsimProcess.h"
#include "util/Subprocess.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSensorsPerLine = 4;

double oneLinePerHour = 0;

void BM_StationLines(benchmark::State& state) {
    const std::string kvstation =
        kvtest::firstExisting({kvtest::programDirectory() + "/../station/kvstation"});
    if (kvstation.empty()) {
        state.SkipWithError("kvstation not built");
        return;
    }
    const int lines = static_cast<int>(state.range(0));
    const fs::path folder = fs::temp_directory_path() / "kv-bench-station";
    fs::remove_all(folder);
    fs::create_directories(folder);
    std::vector<std::unique_ptr<kvtest::KvsimProcess>> sims;
    std::ofstream recipe(folder / "station.toml");
    for (int i = 0; i < lines; ++i) {
        std::vector<std::string> args{"--no-noise", "--line-rate"};
        for (int p = 1; p <= kSensorsPerLine; ++p) {
            args.push_back("--sensor");
            args.push_back("p8-co2-temp-rh@1:" + std::to_string(p));
        }
        sims.push_back(std::make_unique<kvtest::KvsimProcess>(args));
        recipe << "[[line]]\nname = \"L" << i + 1 << "\"\nport = " << i + 1 << "\ndevice = \""
               << sims.back()->path() << "\"\npositions = [\"1-" << kSensorsPerLine << "\"]\n";
    }
    recipe << "[[step]]\nread = [\"foChannelValue4\"]\n"
           << "[[step]]\ncheck = \"foChannelValue4\"\nmin = 0.0\nmax = 50.0\n";
    recipe.close();

    double seconds = 0;
    int run = 0;
    for (auto _ : state) {
        const std::string db = (folder / ("records-" + std::to_string(run++) + ".db")).string();
        const auto start = std::chrono::steady_clock::now();
        const auto result = kvtest::run(
            {kvstation, "run", (folder / "station.toml").string(), "--db", db, "--json"},
            std::chrono::minutes(10));
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (result.status != 0) {
            state.SkipWithError(("kvstation failed: " + result.err + result.out).c_str());
            return;
        }
    }
    fs::remove_all(folder);
    const double sensors =
        static_cast<double>(lines * kSensorsPerLine) * static_cast<double>(state.iterations());
    const double perHour = sensors / seconds * 3600.0;
    state.counters["sensors_per_hour"] = perHour;
    state.counters["seconds_per_sensor_line"] =
        seconds / static_cast<double>(state.iterations()) / kSensorsPerLine;
    if (lines == 1) oneLinePerHour = perHour;
    if (oneLinePerHour > 0) state.counters["times_one_line"] = perHour / oneLinePerHour;
}

}  // namespace

BENCHMARK(BM_StationLines)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
