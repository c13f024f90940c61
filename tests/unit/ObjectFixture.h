#pragma once

#include <memory>
#include <string>
#include <vector>

#include "LinkFixture.h"
#include "kvcom3/clsArrayLevel.h"
#include "kvcom3/clsObjectLevel.h"
#include "model/Sensor.h"

// An object tree over a memory map and the address level of LinkFixture, both made the
// library-wide ones, with a virtual sensor of a given profile on the line.
class ObjectFixture : public LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        kvcom3::gAdressLevel =
            std::shared_ptr<kvcom3::clsAdressLevel>(level.get(), [](kvcom3::clsAdressLevel*) {});
        kvcom3::gArrayLevel = std::make_shared<kvcom3::clsArrayLevel>();
    }
    void TearDown() override {
        kvcom3::gArrayLevel.reset();
        kvcom3::gAdressLevel.reset();
        LinkFixture::TearDown();
    }

    void use(const std::string& profile, bool modbus = false) {
        sensor = std::shared_ptr<kvsim::Sensor>(kvsim::Sensor::fromProfile(profile));
        sensor->world().noise = false;
        if (modbus) {
            kvcom3::gProtokoll = kvcom3::kvMB;
            kvcom3::gConnection.ComID = 1;
            attach(sensor, 1, kvsim::Protocol::Modbus);
        } else {
            attach(sensor);
        }
    }

    std::shared_ptr<kvcom3::kvObjectNode> node(const std::string& key) {
        auto found = objects.GetNode(key);
        if (!found) ADD_FAILURE() << "no object " << key;
        return found;
    }

    static std::vector<std::string> names(const kvcom3::kvObjectNodes& nodes) {
        std::vector<std::string> out;
        for (const auto& n : nodes) out.push_back(n->Name());
        return out;
    }

    template <class Visit>
    static void forEach(const kvcom3::kvObjectNodes& nodes, Visit&& visit) {
        for (const auto& n : nodes) {
            visit(*n);
            forEach(*n->Nodes(), visit);
        }
    }

    std::shared_ptr<kvsim::Sensor> sensor;
    kvcom3::clsObjectLevel objects;
};
