#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/Sensor.h"

// Reads and writes a virtual sensor the way the library's memory map places things, written out
// here independently of the model's own layout code.
namespace kvsim::testing {

inline std::unique_ptr<Sensor> quietSensor(const std::string& profile) {
    auto sensor = Sensor::fromProfile(profile);
    sensor->world().noise = false;
    sensor->advance(1);
    return sensor;
}

inline std::uint32_t wordAt(const Sensor& s, Space space, std::uint32_t a) {
    return s.read(space, a) * 256u + s.read(space, a + 1);
}

inline int signedWord(std::uint32_t w) {
    return w >= 0x8000 ? static_cast<int>(w) - 0x10000 : static_cast<int>(w);
}

// EEPROM address counted back from the end.
inline std::uint32_t fromEnd(const Sensor& s, int back) {
    return static_cast<std::uint32_t>(s.size(Space::EEPROM)) - static_cast<std::uint32_t>(back);
}

inline std::uint32_t baseAddress(const Sensor& s, int k) {
    const auto size = static_cast<std::uint32_t>(s.size(Space::EEPROM));
    return wordAt(s, Space::EEPROM, fromEnd(s, 16 - 2 * k)) & (size - 1);
}

inline std::uint32_t tableAddress(const Sensor& s, int table, int point) {
    return baseAddress(s, 1) + static_cast<std::uint32_t>(34 * table + 2 * point);
}

inline int tablePoint(const Sensor& s, int table, int point) {
    return signedWord(wordAt(s, Space::EEPROM, tableAddress(s, table, point)));
}

inline int channel(const Sensor& s, int chan) {
    return signedWord(wordAt(s, Space::RAM, 12 + 2 * static_cast<std::uint32_t>(chan)));
}

inline int rawChannel(const Sensor& s, int chan) {
    return static_cast<int>(wordAt(s, Space::RAM, 12 + 2 * static_cast<std::uint32_t>(chan)));
}

// Writes EEPROM bytes as the library does: unlock, write, lock.
inline void writeEepromWord(Sensor& s, std::uint32_t a, int value) {
    const auto w = static_cast<std::uint16_t>(value);
    s.unlockEeprom();
    s.write(Space::EEPROM, a, static_cast<std::uint8_t>(w >> 8));
    s.write(Space::EEPROM, a + 1, static_cast<std::uint8_t>(w & 0xFF));
    s.lockEeprom();
}

}  // namespace kvsim::testing
