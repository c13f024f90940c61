#include "wire/Bench.h"

#include <set>
#include <stdexcept>
#include <string>

#include "wire/KvbusSlave.h"
#include "wire/ModbusSlave.h"

namespace kvsim {

namespace {

std::unique_ptr<Slave> makeSlave(const Station& station, TransferObserver* observer) {
    if (!station.sensor) throw std::invalid_argument("a station has no sensor");
    if (station.protocol == Protocol::Kvbus) {
        const int id = station.id.value_or(0);
        if (id < 0 || id > 29) {
            throw std::invalid_argument("KVBUS ID " + std::to_string(id) + " is outside 0-29");
        }
        if (station.ack != 0x06 && station.ack != 0x86) {
            throw std::invalid_argument("KVBUS acknowledge must be 0x06 or 0x86");
        }
        return std::make_unique<KvbusSlave>(station.sensor,
                                            KvbusConfig{.id = id, .ack = station.ack}, observer);
    }
    const int address = station.id.value_or(1);
    if (address < 1 || address > 247) {
        throw std::invalid_argument("Modbus address " + std::to_string(address) +
                                    " is outside 1-247");
    }
    return std::make_unique<ModbusSlave>(
        station.sensor, ModbusConfig{.address = static_cast<std::uint8_t>(address)}, observer);
}

}  // namespace

std::shared_ptr<Line> makeLine(const std::vector<Station>& stations, LineOptions options) {
    if (stations.empty()) throw std::invalid_argument("the bench has no sensor");
    auto line = std::make_shared<Line>(options);
    bool networked = false;
    for (const auto& station : stations) networked = networked || station.at.has_value();
    if (!networked) {
        if (stations.size() > 1) {
            throw std::invalid_argument("more than one sensor needs production network positions");
        }
        line->attach(makeSlave(stations.front(), line->observer()));
        return line;
    }
    auto mux = std::make_unique<Multiplexer>(line->observer());
    std::set<Position> taken;
    for (const auto& station : stations) {
        const Position at = station.at.value_or(Position{});
        if (!taken.insert(at).second) {
            throw std::invalid_argument("two sensors at board " + std::to_string(at.board) +
                                        " position " + std::to_string(at.position));
        }
        mux->attach(at, makeSlave(station, line->observer()));
    }
    line->attach(std::move(mux));
    return line;
}

}  // namespace kvsim
