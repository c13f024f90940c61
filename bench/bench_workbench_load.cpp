// The workbench connecting to a platform-8 sensor on KVBUS and loading its whole object tree, as a
// technician does with Connect and "Read values": the panel, its model and view in an offscreen
// application against kvsim on a pty paced at 9600 baud. Timed from Connect to the last value,
// against the least the run's own transfers take on the line (from kvsim's transcript), and the
// longest the window went without handling its events meanwhile.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>

#include "BenchSupport.h"
#include "MainWindow.h"
#include "ObjectTreeModel.h"
#include "ObjectsPanel.h"
#include "kvcom3/Clock.h"
#include "util/KvsimProcess.h"
#include "util/OffscreenApplication.h"

namespace {

namespace fs = std::filesystem;

// The largest gap between the ticks of a 5 ms timer: how long the event loop went unserved.
class StallMeter {
  public:
    StallMeter() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            longestMs_ = std::max(longestMs_, static_cast<double>(clock_.nsecsElapsed()) / 1e6);
            clock_.restart();
        });
        clock_.start();
        timer_.start();
    }
    // Counts the time since the last tick too, so that a stall at the very end is not missed.
    double longestMs() const {
        return std::max(longestMs_, static_cast<double>(clock_.nsecsElapsed()) / 1e6);
    }

  private:
    QTimer timer_;
    QElapsedTimer clock_;
    double longestMs_ = 0;
};

void BM_WorkbenchLoadObjectTree(benchmark::State& state) {
    kvtest::offscreenApplication();
    kvcom3::setEventPump([] { QCoreApplication::processEvents(); });
    const fs::path transcript = fs::temp_directory_path() / "kv-bench-workbench-transcript.txt";
    double wall = 0;
    double minimum = 0;
    double stall = 0;
    int objects = 0;
    int transfers = 0;
    for (auto _ : state) {
        {
            kvtest::KvsimProcess sensor({"--profile", "p8-co2-temp-rh", "--no-noise",
                                         "--temperature", "23.0", "--line-rate", "--transcript",
                                         transcript.string()});
            MainWindow window;
            window.show();
            window.tabs->setCurrentWidget(window.objectsPanel);
            QCoreApplication::processEvents();
            ObjectsPanel& panel = *window.objectsPanel;

            const StallMeter meter;
            const auto start = std::chrono::steady_clock::now();
            const bool loaded =
                window.connectTo({QString::fromStdString(sensor.path()), 1, false, -1, 0, 0}) &&
                panel.readValues();
            const double seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            stall = std::max(stall, meter.longestMs());
            if (!loaded || panel.model->loadedCount() != panel.model->valueCount()) {
                state.SkipWithError(
                    ("load failed: " + window.messageLabel->text().toStdString()).c_str());
                break;
            }
            objects = panel.model->valueCount();
            sensor.stop();
            wall += seconds * 1000.0;
        }
        const kvbench::TranscriptFigures figures = kvbench::transcriptFigures(transcript);
        minimum += figures.minimumMs;
        transfers = figures.requests;
    }
    kvcom3::setEventPump(nullptr);
    fs::remove(transcript);
    if (state.iterations() == 0 || wall == 0) return;
    const auto n = static_cast<double>(state.iterations());
    state.counters["wall_ms"] = wall / n;
    state.counters["minimum_ms"] = minimum / n;
    state.counters["ratio"] = wall / minimum;
    state.counters["longest_stall_ms"] = stall;
    state.counters["objects"] = objects;
    state.counters["transfers"] = transfers;
}

}  // namespace

BENCHMARK(BM_WorkbenchLoadObjectTree)->Iterations(2)->Unit(benchmark::kMillisecond);
