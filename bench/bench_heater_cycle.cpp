// CPU over wall time while the CO probe's heater calibration runs one cycle on the real clock:
// the drive is written through to EEPROM, then the element is read once a second. The run is
// cancelled when the second cycle begins (its EEPROM unlock), which ends it with 32755.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include "kvcal3/ISensCalibration.h"
#include "kvcom3/ISensMem.h"
#include "kvcom3/KvError.h"
#include "model/Sensor.h"

namespace {

constexpr int kPort = 8;
constexpr double kHeaterOhm = 33.87;

// The wet-air resistance whose element count is `count`, through the probe's circuit.
double wetAirFor(double count) {
    return 226920005632.0 / ((count * 4.125 / 65535 + 0.375) * 3.636e9 / 5000 - 366000);
}

// The heater log goes to a directory of its own while the run lasts.
struct LogDirectory {
    LogDirectory() {
        std::filesystem::create_directories(path);
        ::setenv("KVCAL3_LOG_DIR", path.c_str(), 1);
    }
    ~LogDirectory() {
        ::unsetenv("KVCAL3_LOG_DIR");
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("kv-bench-heater-" + std::to_string(::getpid()));
};

void BM_HeaterCalibrationCycle(benchmark::State& state) {
    LogDirectory logs;
    std::shared_ptr<kvsim::Sensor> probe(kvsim::Sensor::fromProfile("p8-co-probe"));
    probe->world().noise = false;
    auto line =
        kvsim::makeLine({kvsim::Station{.sensor = probe}}, kvsim::LineOptions{.pacing = true});
    kvcom3::bindPort(kPort, std::make_shared<kvbench::ExactLineDevice>(line));
    double cpu = 0;
    double wall = 0;
    int cycles = 0;
    for (auto _ : state) {
        auto sensor = std::make_shared<kvcom3::ISensMem>();
        sensor->Connect(kPort, -1);
        kvcal3::ISensCalibration calibration;
        calibration.SetSensor(sensor);
        benchmark::DoNotOptimize(sensor->ObjectLevel()->Nodes());
        const double signal = sensor->ArrayLevel()->GetNode("raChan_13")->Value(true);
        auto procedure = calibration.GetProcedure("cpCOHeaterCal");
        procedure->InputVariables()->Item("cvHeaterCalOHR")->Value = kvcom3::Variant(kHeaterOhm);
        procedure->InputVariables()->Item("cvHeaterCalRIWA")->Value =
            kvcom3::Variant(wetAirFor(signal + 2000));
        cycles = 0;
        sensor->ComLogg.connect([&](std::string& text) {
            if (text == "UnlockEEPROM" && ++cycles == 2) sensor->Cancel();
        });
        auto start = std::chrono::steady_clock::now();
        double before = kvbench::processCpuSeconds();
        try {
            procedure->Run();
        } catch (const kvcom3::KvError& e) {
            if (e.number() != 32755) state.SkipWithError(e.description().c_str());
        }
        cpu += kvbench::processCpuSeconds() - before;
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        calibration.SetSensor(nullptr);
    }
    kvcom3::unbindPort(kPort);
    if (cycles < 2) state.SkipWithError("the heater calibration ran no full cycle");
    state.counters["cpu_percent"] = 100.0 * cpu / wall;
}

}  // namespace

BENCHMARK(BM_HeaterCalibrationCycle)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
