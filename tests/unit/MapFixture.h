#pragma once

#include <memory>
#include <string>

#include "LinkFixture.h"
#include "kvcom3/clsArrayLevel.h"
#include "model/Sensor.h"

// A memory map over the address level of LinkFixture, made the library-wide one, with a
// virtual sensor of a given profile on the line.
class MapFixture : public LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        kvcom3::gAdressLevel =
            std::shared_ptr<kvcom3::clsAdressLevel>(level.get(), [](kvcom3::clsAdressLevel*) {});
    }
    void TearDown() override {
        kvcom3::gAdressLevel.reset();
        LinkFixture::TearDown();
    }

    std::shared_ptr<kvsim::Sensor> use(const std::string& profile, bool modbus = false) {
        sensor = std::shared_ptr<kvsim::Sensor>(kvsim::Sensor::fromProfile(profile));
        sensor->world().noise = false;
        if (modbus) {
            kvcom3::gProtokoll = kvcom3::kvMB;
            kvcom3::gConnection.ComID = 1;
            attach(sensor, 1, kvsim::Protocol::Modbus);
        } else {
            attach(sensor);
        }
        return sensor;
    }

    // A 16-bit word of the sensor's EEPROM, most significant byte first, at a negative
    // address counted back from the end.
    std::int32_t sensorWord(std::int32_t adr) const {
        const auto size = static_cast<std::int32_t>(sensor->size(kvsim::Space::EEPROM));
        const auto at = static_cast<std::uint32_t>(adr < 0 ? size + adr : adr);
        return sensor->read(kvsim::Space::EEPROM, at) * 256 +
               sensor->read(kvsim::Space::EEPROM, at + 1);
    }
    void setSensorByte(std::int32_t adr, std::uint8_t value) {
        sensor->unlockEeprom();
        sensor->write(kvsim::Space::EEPROM, static_cast<std::uint32_t>(adr), value);
        sensor->lockEeprom();
    }

    int transfers() const { return line->transfers(kvsim::Domain::Sensor); }

    // Pre-order walk of the whole map.
    template <class Visit>
    static void forEach(const kvcom3::kvArrayNodes& nodes, Visit&& visit, int depth = 0) {
        for (const auto& node : nodes) {
            visit(*node, depth);
            forEach(*node->Nodes(), visit, depth + 1);
        }
    }
    long countNodes(const kvcom3::kvArrayNodes& nodes) {
        long n = 0;
        forEach(nodes, [&](const kvcom3::kvArrayNode&, int) { ++n; });
        return n;
    }

    std::shared_ptr<kvsim::Sensor> sensor;
    kvcom3::clsArrayLevel map;
};
