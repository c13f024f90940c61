#include "model/ProfileSensor.h"

#include <cmath>
#include <stdexcept>

#include "model/Layout78.h"
#include "model/LayoutLegacy.h"
#include "model/Platform.h"
#include "model/Readings.h"

namespace kvsim {
namespace {

Profile checked(Profile p) {
    int platform = 0;
    try {
        platform = platformOfPartByte(p.partByte);
    } catch (const std::runtime_error& e) {
        throw std::runtime_error("profile " + p.name + ": " + e.what());
    }
    if ((platform == 5 || platformHasByteAccess(platform)) &&
        p.tables.size() != static_cast<std::size_t>(layout78::kTableCount))
        throw std::runtime_error("profile " + p.name + ": five tables are needed on platform " +
                                 std::to_string(platform));
    return p;
}

}  // namespace

ProfileSensor::ProfileSensor(Profile profile)
    : profile_(checked(std::move(profile))),
      platform_(platformOfPartByte(profile_.partByte)),
      commandSet_(commandSetOfPartByte(profile_.partByte)),
      memories_(buildMemories(profile_, platform_)),
      noise_(profile_.noiseSeed) {
    updateReadings(profile_, platform_, world_, memories_, noise_);
}

void ProfileSensor::loadImage(const std::vector<std::uint8_t>& eeprom,
                              const std::vector<std::uint8_t>& ram) {
    for (std::size_t a = 0; a < eeprom.size() && a < memories_.eeprom.size(); ++a)
        memories_.eeprom.set(static_cast<std::uint32_t>(a), eeprom[a]);
    for (std::size_t a = 0; a < ram.size() && a < memories_.ram.size(); ++a)
        memories_.ram.set(static_cast<std::uint32_t>(a), ram[a]);
}

bool ProfileSensor::byteAccess() const {
    return platformHasByteAccess(platform_);
}

const Memory& ProfileSensor::memory(Space space) const {
    if (space == Space::EEPROM) return memories_.eeprom;
    return space == Space::FLASH ? memories_.flash : memories_.ram;
}

std::size_t ProfileSensor::size(Space space) const {
    return memory(space).size();
}

std::uint8_t ProfileSensor::read(Space space, std::uint32_t address) const {
    return memory(space).get(address);
}

void ProfileSensor::write(Space space, std::uint32_t address, std::uint8_t value) {
    if (space == Space::RAM) memories_.ram.set(address, value);
    if (space == Space::EEPROM && !locked_) memories_.eeprom.set(address, value);
}

bool ProfileSensor::eepromToRam() {
    copyMirrors(profile_, memories_, true);
    return true;
}

// Platform 5 saves its RAM parameters with this command alone (it has no lock sequence); the
// others store only while their EEPROM is unlocked.
bool ProfileSensor::ramToEeprom() {
    if (platform_ != 5 && locked_) return false;
    copyMirrors(profile_, memories_, false);
    return true;
}

bool ProfileSensor::lockEeprom() {
    locked_ = true;
    return true;
}

bool ProfileSensor::unlockEeprom() {
    if (platform_ == 6 && memories_.ram.get(layout6::kUnlockRequest) != 1) return false;
    locked_ = false;
    return true;
}

// The sensor saves its own identity and ABC samples, whatever the lock.
bool ProfileSensor::idToEeprom() {
    if (commandSet_ == 1) return false;
    if (!byteAccess()) return true;
    for (std::uint32_t i = 0; i < 2; ++i)
        memories_.eeprom.set(16 + i, memories_.ram.get(layout78::kRamSensorId + i));
    for (std::uint32_t i = 0; i < 4; ++i)
        memories_.eeprom.set(18 + i, memories_.ram.get(layout78::kRamAbcSample + i));
    return true;
}

// Restarts the time-weighted averages: every logger buffer refills with its start value.
bool ProfileSensor::twaReset() {
    if (commandSet_ == 1) return false;
    if (!byteAccess()) return true;
    Memory& ee = memories_.eeprom;
    const auto at = [&](std::int32_t a) { return eepromAddress(a, ee.size()); };
    const auto twa =
        at(static_cast<std::int32_t>(ee.getValue(at(layout78::kBaseAddresses + 10), 2)));
    for (std::uint32_t c = 0; c < layout78::kLoggerCount; ++c) {
        const auto size = ee.getValue(twa + 8 * c, 2);
        const auto start = ee.getValue(twa + 8 * c + 2, 2);
        const auto buffer = at(static_cast<std::int32_t>(ee.getValue(twa + 8 * c + 4, 2)));
        for (std::uint32_t j = 0; j < size; ++j) ee.setValue(buffer + 2 * j, 2, start);
    }
    return true;
}

bool ProfileSensor::restart() {
    locked_ = true;
    copyMirrors(profile_, memories_, true);
    updateReadings(profile_, platform_, world_, memories_, noise_);
    return true;
}

bool ProfileSensor::transparent(bool on) {
    transparent_ = on;
    return true;
}

bool ProfileSensor::power(bool on) {
    const bool wasOff = !powered_;
    powered_ = on;
    if (on && wasOff) restart();
    return true;
}

void ProfileSensor::advance(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0)
        throw std::invalid_argument("advance: time must be a finite, non-negative number");
    if (!powered_) return;
    clockSeconds_ += seconds;
    updateClock();
    updateReadings(profile_, platform_, world_, memories_, noise_);
}

// The firmware's clocks: seconds, 4 ms ticks within the second, minutes and quarter seconds.
void ProfileSensor::updateClock() {
    if (!byteAccess()) return;
    const auto ms = static_cast<std::uint64_t>(clockSeconds_ * 1000);
    Memory& ram = memories_.ram;
    ram.setValue(layout78::kRamSysTimer, 2, static_cast<std::uint32_t>((ms / 1000) & 0xFFFF));
    ram.set(layout78::kRamCnt4ms, static_cast<std::uint8_t>((ms / 4) % 250));
    ram.set(layout78::kRamMinutes, static_cast<std::uint8_t>((ms / 60000) % 256));
    ram.set(layout78::kRamRtcQsec, static_cast<std::uint8_t>((ms / 250) % 240));
}

}  // namespace kvsim
