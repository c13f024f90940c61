// Transfers and bytes on the wire for ThermAdjust's two-second tick against a platform-8 sensor
// on KVBUS: the first tick (which generates the memory map and the object tree) and a later one.
// The tick makes the calls of frmThermAdjust's normal cycle; the counts come from the
// communication log (one "Reading"/"Writing" line per transfer) and the line's transcript. The
// clock is virtual: only the counts matter here.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>

#include "facade/LibraryState.h"
#include "host/InProcessDevice.h"
#include "kvcom3/ISensMem.h"
#include "kvcom3/ManualClock.h"
#include "kvcom3/Ports.h"
#include "model/Sensor.h"
#include "wire/Bench.h"
#include "wire/Line.h"

namespace {

constexpr int kPort = 7;

// What the transfers of one tick read, address by address.
struct TickCount {
    int transfers = 0;
    long bytesRead = 0;
    std::map<std::pair<std::string, long>, int> readsOf;  // (memory, address) -> times read

    void onLog(const std::string& text) {
        std::istringstream in(text);
        std::string verb, of, unit, word, memory;
        long n = 0;
        long adr = 0;
        if (!(in >> verb >> n >> unit >> of >> word >> adr >> word >> memory)) return;
        if (verb == "Writing") ++transfers;
        if (verb != "Reading") return;
        ++transfers;
        bytesRead += n;
        for (long a = adr; a < adr + n; ++a) ++readsOf[{memory, a}];
    }
    long distinctBytes() const { return static_cast<long>(readsOf.size()); }
    // The fewest KVBUS reads of 6 bytes that cover the same addresses.
    long leastReads() const {
        long least = 0;
        auto it = readsOf.begin();
        while (it != readsOf.end()) {
            long length = 1;
            auto next = std::next(it);
            while (next != readsOf.end() && next->first.first == it->first.first &&
                   next->first.second == it->first.second + 1) {
                it = next++;
                ++length;
            }
            least += (length + 5) / 6;
            it = next;
        }
        return least;
    }
};

void tick(kvcom3::ISensMem& sensor) {
    auto node = sensor.ObjectLevel()->GetNode("foChannelValue4");
    benchmark::DoNotOptimize(node->Value(true).toString() + " " + node->Unit());
    benchmark::DoNotOptimize(sensor.SerialNr(true));
}

void BM_ThermAdjustTickTransfers(benchmark::State& state) {
    auto clock = std::make_shared<kvcom3::ManualClock>();
    kvcom3::setClock(clock);
    std::shared_ptr<kvsim::Sensor> probe(kvsim::Sensor::fromProfile("p8-co2-temp-rh"));
    auto line =
        kvsim::makeLine({kvsim::Station{.sensor = probe}}, kvsim::LineOptions{.pacing = true});
    kvcom3::bindPort(kPort, std::make_shared<kvsim::InProcessDevice>(line));
    TickCount first;
    TickCount later;
    long firstWire = 0;
    long laterWire = 0;
    for (auto _ : state) {
        kvcom3::ISensMem sensor;
        sensor.LetLeavePortOpen(true);
        sensor.LetProtokoll(kvcom3::kvKV);
        sensor.Connect(kPort, -1, 0, 0);
        TickCount* counting = &first;
        sensor.ComLogg.connect([&](std::string& text) { counting->onLog(text); });
        first = TickCount{};
        later = TickCount{};
        line->transcript().clear();
        tick(sensor);
        firstWire = static_cast<long>(line->transcript().entries().size());
        clock->sleep(std::chrono::milliseconds(2000));
        counting = &later;
        line->transcript().clear();
        tick(sensor);
        laterWire = static_cast<long>(line->transcript().entries().size());
        sensor.ClosePort(kPort);
    }
    kvcom3::unbindPort(kPort);
    kvcom3::setClock(nullptr);
    kvcom3::gConnection = kvcom3::Connection{};
    kvcom3::gLeavePortOpen = false;
    state.counters["first_transfers"] = first.transfers;
    state.counters["first_least_transfers"] = static_cast<double>(first.leastReads());
    state.counters["first_wire_bytes"] = static_cast<double>(firstWire);
    state.counters["first_bytes_read"] = static_cast<double>(first.bytesRead);
    state.counters["first_bytes_read_twice"] =
        static_cast<double>(first.bytesRead - first.distinctBytes());
    state.counters["later_transfers"] = later.transfers;
    state.counters["later_wire_bytes"] = static_cast<double>(laterWire);
    state.counters["later_bytes_read"] = static_cast<double>(later.bytesRead);
}

}  // namespace

BENCHMARK(BM_ThermAdjustTickTransfers)->Iterations(1)->Unit(benchmark::kMillisecond);
