#pragma once

#include <memory>
#include <string>

#include "../unit/LinkFixture.h"
#include "kvcal3/ISensCalibration.h"
#include "kvcal3/ScriptedInteraction.h"
#include "model/Sensor.h"

// A virtual sensor of a profile behind ISensMem, given to the calibration library, with the
// sensor's actions collected and a scripted user installed.
class CalFixture : public LinkFixture {
  protected:
    void SetUp() override {
        LinkFixture::SetUp();
        user = std::make_shared<kvcal3::ScriptedInteraction>();
        kvcal3::setUserInteraction(user);
    }
    void TearDown() override {
        kvcal3::setUserInteraction(nullptr);
        calibration.SetSensor(nullptr);
        LinkFixture::TearDown();
    }

    void connect(const std::string& profile) {
        sensor = std::shared_ptr<kvsim::Sensor>(kvsim::Sensor::fromProfile(profile));
        sensor->world().noise = false;
        sensor->advance(1.0);
        attach(sensor);
        mem = std::make_shared<kvcom3::ISensMem>();
        mem->Connect(kPort, -1);
        mem->Action.connect([this](std::string& text) {
            if (!text.empty()) memActions.push_back(text);
        });
        calibration.SetSensor(mem);
    }

    std::shared_ptr<kvcal3::kvCalProcedure> procedure(const std::string& key) {
        return calibration.GetProcedure(key);
    }
    std::int32_t cell(const std::string& key, bool force = false) {
        return mem->ArrayLevel()->GetNode(key)->Value(force);
    }
    std::int32_t adr(const std::string& key) { return mem->ArrayLevel()->GetNode(key)->Adr(); }
    // A word of the sensor's own EEPROM, most significant byte first, made signed.
    std::int32_t eepromWord(std::int32_t address) const {
        const int high = sensor->read(kvsim::Space::EEPROM, static_cast<std::uint32_t>(address));
        const int low = sensor->read(kvsim::Space::EEPROM, static_cast<std::uint32_t>(address + 1));
        return kvcom3::signed16(static_cast<std::uint16_t>(high * 256 + low));
    }
    void setEepromWord(std::int32_t address, std::int32_t value) {
        sensor->unlockEeprom();
        const auto raw = static_cast<std::uint16_t>(value);
        sensor->write(kvsim::Space::EEPROM, static_cast<std::uint32_t>(address), raw >> 8);
        sensor->write(kvsim::Space::EEPROM, static_cast<std::uint32_t>(address + 1), raw & 0xFF);
        sensor->lockEeprom();
    }

    std::shared_ptr<kvsim::Sensor> sensor;
    std::shared_ptr<kvcom3::ISensMem> mem;
    kvcal3::ISensCalibration calibration;
    std::shared_ptr<kvcal3::ScriptedInteraction> user;
    std::vector<std::string> memActions;
};
