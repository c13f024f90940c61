// Reading 16 holding registers from a libmodbus RTU slave at 9600 baud: our Modbus read against
// libmodbus's own master in the same run, on the same bridged pseudo-terminals.
#include <benchmark/benchmark.h>
#include <modbus/modbus.h>

#include <memory>

#include "../unit/AdressLevelTestAccess.h"
#include "ModbusPeer.h"
#include "facade/LibraryState.h"
#include "kvcom3/Ports.h"

namespace {

// 9600 baud, 8 data bits, no parity, 2 stop bits: 11 bits a character.
constexpr std::chrono::microseconds kCharacterTime{11'000'000 / 9600};

struct Peer {
    Peer() : bridge(kCharacterTime), slave(bridge.endB(), 1) {
        for (int r = 0; r < 16; ++r) slave.holding(r) = static_cast<std::uint16_t>(r * 257);
        slave.serve();
    }
    PtyBridge bridge;
    LibmodbusSlave slave;
};

void BM_ReadBlockMB_16Registers(benchmark::State& state) {
    Peer peer;
    kvcom3::bindPort(12, peer.bridge.endA());
    kvcom3::gConnection = kvcom3::Connection{true, 12, 1, 0, 0};
    kvcom3::gProtokoll = kvcom3::kvMB;
    kvcom3::clsAdressLevel level;
    for (auto _ : state) kvcom3::AdressLevelTestAccess::ReadBlock(level, 0, 32, kvcom3::kvMBHR);
    kvcom3::unbindPort(12);
}

void BM_Libmodbus_16Registers(benchmark::State& state) {
    Peer peer;
    modbus_t* master = modbus_new_rtu(peer.bridge.endA().c_str(), 9600, 'N', 8, 2);
    modbus_set_slave(master, 1);
    modbus_connect(master);
    std::uint16_t registers[16];
    for (auto _ : state) {
        if (modbus_read_registers(master, 0, 16, registers) != 16) state.SkipWithError("read");
    }
    modbus_close(master);
    modbus_free(master);
}

}  // namespace

BENCHMARK(BM_ReadBlockMB_16Registers)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_Libmodbus_16Registers)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
