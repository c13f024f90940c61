#include "model/Readings.h"

#include <algorithm>
#include <cmath>

#include "model/Layout78.h"
#include "model/LayoutLegacy.h"

namespace kvsim {
namespace {

using physics::Table;

constexpr double kTemperatureNoiseC = 0.02;
constexpr double kRhNoiseCounts = 8;
constexpr double kCoNoiseCounts = 6;
constexpr double kDarkLevel = 1800;
constexpr double kFactoryHeaterDrive = 30000;
constexpr int kTemperatureTable = layout78::kTemperatureTable;
constexpr int kCo2Table = layout78::kCo2Table;

std::uint16_t word(long value) {
    return static_cast<std::uint16_t>(std::clamp<long>(value, -32768, 65535));
}

double clampCount(double count) {
    return std::clamp(count, 0.0, 65535.0);
}

int signedByte(std::uint8_t b) {
    return b >= 128 ? b - 256 : b;
}

Table tableAt(const Memory& eeprom, std::uint32_t start) {
    Table t{};
    for (int i = 0; i < 17; ++i)
        t[i] = eeprom.getSigned16(start + static_cast<std::uint32_t>(2 * i));
    return t;
}

const Table& factoryTable(const Profile& p, int table) {
    return p.tables.at(table);
}

// The element's count for the space temperature, as the hardware delivers it.
double temperatureSignal(const Profile& p, const World& w, physics::Noise& noise) {
    const double t =
        w.temperatureC + p.hardware.temperatureErrorC + noise.sample(kTemperatureNoiseC, w.noise);
    return physics::tableCount(factoryTable(p, kTemperatureTable), t * 100);
}

// The raw CO2 signal N for the true concentration at detector temperature dt.
double co2Signal(const Profile& p, const World& w, double dt, physics::Noise& noise) {
    const auto& hw = p.hardware.co2;
    const double count = physics::tableCount(factoryTable(p, kCo2Table), w.co2ppm);
    const double n = physics::co2Signal(count, hw.zero, hw.span, dt, hw.ts);
    return clampCount(std::round(n + noise.sample(hw.signalNoise, w.noise)));
}

class Platform78 {
  public:
    Platform78(const Profile& p, int platform, const World& w, Memories& m, physics::Noise& n)
        : p_(p), platform_(platform), w_(w), m_(m), noise_(n) {}

    void update() {
        const std::uint32_t tables = base(1);
        updateTemperature(tables);
        const double dt = std::round((w_.temperatureC + p_.hardware.detectorOffsetC) * 10);
        setChan(layout78::kChanDetectorTemp, static_cast<long>(dt));
        updateCo2(tables, dt);
        const std::uint8_t probe = m_.eeprom.get(ee(layout78::kExtraProbe));
        if (probe == 31 || probe == 64) updateRh(tables);
        if (p_.hardware.co.kind == "heated") updateHeatedCo(tables);
        if (p_.hardware.co.kind == "figaro") updateFigaroCo(tables);
        updateOutputs();
    }

  private:
    std::uint32_t ee(std::int32_t address) const {
        return eepromAddress(address, m_.eeprom.size());
    }
    std::uint32_t base(int k) const {
        return ee(
            static_cast<std::int32_t>(m_.eeprom.getValue(ee(layout78::kBaseAddresses + 2 * k), 2)));
    }
    long param(const char* name) const {
        const auto cell = *layout78::parameterCell(name);
        return static_cast<long>(m_.eeprom.getValue(ee(cell.address), cell.bytes));
    }
    bool held(int chan) const {
        return (m_.ram.get(layout78::kRamGenStat + static_cast<std::uint32_t>(chan / 8)) >>
                (chan % 8)) &
               1;
    }
    void setChan(int chan, long value) {
        if (held(chan)) return;
        m_.ram.setValue(layout78::kRamChan + 2 * static_cast<std::uint32_t>(chan), 2, word(value));
    }
    long chan(int c) const {
        return m_.ram.getSigned16(layout78::kRamChan + 2 * static_cast<std::uint32_t>(c));
    }
    Table table(std::uint32_t tables, int t) const {
        return tableAt(m_.eeprom, tables + static_cast<std::uint32_t>(layout78::kTableBytes * t));
    }

    void updateTemperature(std::uint32_t tables) {
        if ((m_.eeprom.get(ee(layout78::kSpaceTempSensor)) & 0x0F) == 15) return;
        const double count = std::round(temperatureSignal(p_, w_, noise_));
        setChan(layout78::kChanSpaceTemp,
                physics::tableUnit(table(tables, layout78::kTemperatureTable), count));
    }

    void updateCo2(std::uint32_t tables, double dt) {
        const double n = co2Signal(p_, w_, dt, noise_);
        setChan(layout78::kChanCo2Raw, static_cast<long>(n));
        const double ts = signedByte(static_cast<std::uint8_t>(param("bPar_9")));
        const double count = physics::co2Count(n, static_cast<double>(param("wPar_7")),
                                               static_cast<double>(param("wPar_9")), dt, ts);
        setChan(layout78::kChanCo2,
                physics::tableUnit(table(tables, layout78::kCo2Table), std::round(count)));
        const auto low = static_cast<long>(kDarkLevel + std::round(noise_.sample(3, w_.noise)));
        const auto high = low + static_cast<long>(n / 4);
        const std::uint32_t at = platform_ == 7 ? layout78::kRamIrLow : layout78::kRamIrAmplitude;
        m_.ram.setValue(at, 2, word(low));
        m_.ram.setValue(at + 2, 2, word(high));
    }

    void updateRh(std::uint32_t tables) {
        const auto& hw = p_.hardware.rh;
        const double count = physics::rhCount(w_.rhPercent, hw.zeroV, hw.slopeMvPerPct) +
                             noise_.sample(kRhNoiseCounts, w_.noise);
        setChan(layout78::kChanRh,
                physics::tableUnit(table(tables, layout78::kRhTable), std::round(count)));
    }

    double coEquivalentPpm() const {
        return std::max(0.0, w_.coPpm + w_.gasExposure * p_.hardware.co.crossSensitivity);
    }

    // The heater drive the profile's resistances hold for: its factory setting of wPar_3.
    double factoryHeaterDrive() const {
        const auto found = p_.parameters.find("wPar_3");
        return found != p_.parameters.end() ? static_cast<double>(found->second)
                                            : kFactoryHeaterDrive;
    }

    // The element's resistance in the present air at the present heater drive (wPar_3).
    void updateHeatedCo(std::uint32_t tables) {
        const auto& hw = p_.hardware.co;
        const double ah = physics::absoluteHumidity(w_.temperatureC, w_.rhPercent);
        const double air =
            std::max(1000.0, hw.r0Ohm + hw.ohmPerGm3 * ah + hw.ohmPerPpm * coEquivalentPpm());
        const double r = physics::heatedElementResistance(air, static_cast<double>(param("wPar_3")),
                                                          factoryHeaterDrive());
        const double raw = clampCount(
            std::round(physics::coElementCount(r) + noise_.sample(kCoNoiseCounts, w_.noise)));
        setChan(layout78::kChanCoRaw, static_cast<long>(raw));
        const long ahWord = physics::roundEven(ah * 100);
        m_.ram.setValue(layout78::kRamRegData + 8, 2, word(ahWord));
        const double count = raw * static_cast<double>(param("wPar_2")) / 2048;
        const double expectedZero = static_cast<double>(param("RegPar1_5")) * ahWord / 16384;
        const long ppm = physics::tableUnit(table(tables, layout78::kCoTable), std::round(count));
        setChan(layout78::kChanCo, physics::roundEven(static_cast<double>(ppm) - expectedZero));
    }

    // A cell whose raw count rises with CO above its clean-air count; wPar_3 holds the zero
    // reference the sensor subtracts.
    void updateFigaroCo(std::uint32_t tables) {
        const auto& hw = p_.hardware.co;
        const double raw =
            clampCount(std::round(hw.zeroCount + hw.countsPerPpm * coEquivalentPpm() +
                                  noise_.sample(kCoNoiseCounts, w_.noise)));
        setChan(layout78::kChanCoRaw, static_cast<long>(raw));
        const double count = physics::kZeroGasCount - (raw - static_cast<double>(param("wPar_3")));
        setChan(layout78::kChanCo,
                physics::tableUnit(table(tables, layout78::kCoTable), std::round(count)));
    }

    // Outputs 1 and 2 carry CO2 and temperature over their channel ranges (RangePar), 0 ...
    // 16300 for 0 ... 100 %.
    void updateOutputs() {
        const int sources[2] = {layout78::kChanCo2, layout78::kChanSpaceTemp};
        const std::uint32_t ranges = base(3);
        for (int out = 0; out < 2; ++out) {
            const auto at = ranges + static_cast<std::uint32_t>(4 * sources[out]);
            const double lo = m_.eeprom.getSigned16(at);
            const double hi = m_.eeprom.getSigned16(at + 2);
            double level = 0;
            if (hi != lo) level = std::clamp((chan(sources[out]) - lo) / (hi - lo), 0.0, 1.0);
            m_.ram.setValue(layout78::kRamRegData + 2 * static_cast<std::uint32_t>(out), 2,
                            word(physics::roundEven(level * 16300)));
        }
    }

    const Profile& p_;
    int platform_;
    const World& w_;
    Memories& m_;
    physics::Noise& noise_;
};

void updatePlatform5(const Profile& p, const World& w, Memories& m, physics::Noise& noise) {
    using namespace layout5;
    auto ramWord = [&](std::uint32_t a) { return static_cast<double>(m.ram.getValue(a, 2)); };
    const double tempCount = std::round(temperatureSignal(p, w, noise));
    m.ram.setValue(kOld + 2 * kChanTemp, 2, word(static_cast<long>(tempCount)));
    m.ram.setValue(
        kAct + 2 * kChanTemp, 2,
        word(kActOffset + physics::tableUnit(factoryTable(p, kTemperatureTable), tempCount)));

    const double detector = std::round(w.temperatureC + p.hardware.detectorOffsetC);
    m.ram.set(kDetectorTemp,
              static_cast<std::uint8_t>(std::clamp(detector + kByteOffset, 0.0, 255.0)));
    const double dt = m.ram.get(kDetectorTemp) - kByteOffset;
    const double n = co2Signal(p, w, dt, noise);
    m.ram.setValue(kOld + 2 * kChanCo2, 2, word(static_cast<long>(n)));
    const double ts = m.ram.get(kTs) - kByteOffset;
    const double count =
        physics::co2Count(n, ramWord(kZero + 2 * kChanCo2), ramWord(kSpan + 2 * kChanCo2), dt, ts);
    m.ram.setValue(
        kAct + 2 * kChanCo2, 2,
        word(kActOffset + physics::tableUnit(factoryTable(p, kCo2Table), std::round(count))));
    m.ram.setValue(kAmpLow + 2 * kChanCo2, 2, word(static_cast<long>(kDarkLevel)));
    m.ram.setValue(kAmpHigh + 2 * kChanCo2, 2, word(static_cast<long>(kDarkLevel + n / 4)));
}

void updatePlatform6(const World& w, Memories& m, physics::Noise& noise) {
    using namespace layout6;
    const double t = w.temperatureC + noise.sample(kTemperatureNoiseC, w.noise);
    m.ram.setValue(kRamChan + 2 * kChanSpaceTemp, 2, word(physics::roundEven(t * 100)));
    const double co2 = w.co2ppm + noise.sample(1, w.noise);
    m.ram.setValue(kRamChan + 2 * kChanCo2, 2, word(physics::roundEven(co2)));
}

}  // namespace

void updateReadings(const Profile& profile, int platform, const World& world, Memories& memories,
                    physics::Noise& noise) {
    if (platform == 5)
        updatePlatform5(profile, world, memories, noise);
    else if (platform == 6 || platform == 61)
        updatePlatform6(world, memories, noise);
    else
        Platform78(profile, platform, world, memories, noise).update();
}

}  // namespace kvsim
