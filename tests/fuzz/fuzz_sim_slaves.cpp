// The virtual sensor's KVBUS and Modbus sides hear whatever a master sends, ours or another
// program's (mbpoll, a script on the pty). Any byte stream, with any pauses, must leave the sensor
// answering without a crash or an access outside its memories, and every Modbus reply must carry
// a correct CRC.
//
// Input: byte 0 picks the profile; byte 1 picks the protocol (bit 0), unlocks the EEPROM (bit 1)
// and makes every other byte of the rest a pause in milliseconds (bit 2); the rest is the line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "model/Profile.h"
#include "model/ProfileSensor.h"
#include "model/Sensor.h"
#include "wire/Checksum.h"
#include "wire/KvbusSlave.h"
#include "wire/ModbusSlave.h"

namespace {

// Parsed once: building a sensor from a parsed profile is cheap, reading the JSON is not.
const std::vector<kvsim::Profile>& profiles() {
    static const std::vector<kvsim::Profile> parsed = [] {
        std::vector<kvsim::Profile> all;
        for (const auto& name : kvsim::Sensor::profileNames())
            all.push_back(kvsim::loadProfile(kvsim::profileFile(name)));
        return all;
    }();
    return parsed;
}

void checkReply(const kvsim::Reply& reply) {
    if (reply.kind != kvsim::ReplyKind::Modbus) return;
    const auto& b = reply.bytes;
    if (b.size() < 4) std::abort();
    const std::uint16_t crc = kvsim::crc16(std::span(b).first(b.size() - 2));
    if (b[b.size() - 2] != (crc & 0xFF) || b[b.size() - 1] != (crc >> 8)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2 || profiles().empty()) return 0;
    auto sensor = std::make_shared<kvsim::ProfileSensor>(profiles()[data[0] % profiles().size()]);
    sensor->world().noise = false;
    const bool modbus = (data[1] & 1) != 0;
    if ((data[1] & 2) != 0) sensor->unlockEeprom();
    const bool pauses = (data[1] & 4) != 0;

    std::unique_ptr<kvsim::Slave> slave;
    if (modbus)
        slave = std::make_unique<kvsim::ModbusSlave>(sensor, kvsim::ModbusConfig{}, nullptr);
    else
        slave = std::make_unique<kvsim::KvbusSlave>(sensor, kvsim::KvbusConfig{}, nullptr);

    kvsim::Timestamp at{};
    std::vector<kvsim::Reply> out;
    for (std::size_t i = 2; i < size; ++i) {
        if (pauses && i + 1 < size) {
            at += std::chrono::milliseconds(data[i++]);
        } else {
            at += std::chrono::milliseconds(1);
        }
        out.clear();
        slave->receive(data[i], at, out);
        for (const auto& reply : out) checkReply(reply);
    }
    slave->advance(1.0);
    return 0;
}
