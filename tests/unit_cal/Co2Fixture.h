#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "CalFixture.h"

// The CO2 sensor of platform 8 with temperature and RH, its log and the object nodes the CO2
// procedures work through.
class Co2Fixture : public CalFixture {
  protected:
    void SetUp() override {
        CalFixture::SetUp();
        connect("p8-co2-temp-rh");
        mem->ComLogg.connect([this](std::string& text) { comLog.push_back(text); });
    }

    std::shared_ptr<kvcom3::kvObjectNode> node(kvcom3::kvCommonNodes n, std::int16_t index = 0) {
        return mem->ObjectLevel()->CommonNode(n, index);
    }
    kvcom3::Variant& input(const std::shared_ptr<kvcal3::kvCalProcedure>& proc,
                           const std::string& key) {
        return proc->InputVariables()->Item(key)->Value;
    }
    // The factor as the sensor keeps it in its EEPROM.
    std::int32_t sensorWord(const std::string& cell) {
        return static_cast<std::uint16_t>(eepromWord(adr(cell)));
    }
    // The CO2 concentration the sensor shows now for the world around it.
    double shownCo2() {
        sensor->advance(1.0);
        return node(kvcom3::SpaceCO2)->Value(true).toDouble();
    }
    void expose(double ppm) {
        sensor->world().co2ppm = ppm;
        sensor->advance(1.0);
    }
    // Reads of a cell from the sensor, as the communication log records them.
    long readsOf(const std::string& cell) const {
        const std::string needle = " bytes from adress " + std::to_string(adrOf.at(cell)) + " in";
        return std::count_if(comLog.begin(), comLog.end(), [&](const std::string& line) {
            return line.rfind("Reading ", 0) == 0 && line.find(needle) != std::string::npos;
        });
    }
    void remember(const std::string& cell) { adrOf[cell] = adr(cell); }

    std::vector<std::string> comLog;
    std::map<std::string, std::int32_t> adrOf;
};
