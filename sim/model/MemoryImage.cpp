#include "model/MemoryImage.h"

#include <stdexcept>

#include "model/Image78.h"
#include "model/Layout78.h"
#include "model/LayoutLegacy.h"
#include "model/Platform.h"

namespace kvsim {
namespace {

constexpr std::size_t kMaxMemory = 65536;

bool isPowerOfTwo(std::size_t n) {
    return n != 0 && (n & (n - 1)) == 0;
}

Memory& memoryOf(Memories& m, Space space) {
    if (space == Space::EEPROM) return m.eeprom;
    return space == Space::FLASH ? m.flash : m.ram;
}

void writeParameters(const Profile& profile, Memories& m, int platform) {
    for (const auto& [name, value] : profile.parameters) {
        const auto cell = platform == 5                     ? layout5::parameterCell(name)
                          : platformHasByteAccess(platform) ? layout78::parameterCell(name)
                                                            : std::nullopt;
        if (!cell) throw std::runtime_error("unknown parameter \"" + name + "\"");
        putCell(m, *cell, value, name);
    }
}

void buildPlatform5(const Profile& p, Memories& m) {
    if (p.serialNumber > 0xFFFF) throw std::runtime_error("serial number needs 16 bits here");
    m.ram.set(layout5::kPart, p.partByte);
    m.ram.setValue(layout5::kSerialNr, 2, p.serialNumber);
    copyMirrors(p, m, false);
}

void buildPlatform6(const Profile& p, Memories& m) {
    if (p.serialNumber > 0xFFFF) throw std::runtime_error("serial number needs 16 bits here");
    m.eeprom.fill(0, m.eeprom.size(), 0);
    m.eeprom.setValue(layout6::kSerialNr, 2, p.serialNumber);
    m.ram.set(layout5::kPart, p.partByte);
    copyMirrors(p, m, true);
}

}  // namespace

void putCell(Memories& memories, const Cell& cell, long value, const std::string& name) {
    const long span = 1L << (8 * cell.bytes);
    if (value < -span / 2 || value >= span)
        throw std::runtime_error("value " + std::to_string(value) + " does not fit " + name);
    Memory& memory = memoryOf(memories, cell.space);
    const auto address = cell.space == Space::EEPROM ? eepromAddress(cell.address, memory.size())
                                                     : static_cast<std::uint32_t>(cell.address);
    memory.setValue(address, cell.bytes, static_cast<std::uint32_t>(value), cell.bigEndian);
}

void copyMirrors(const Profile& profile, Memories& memories, bool toRam) {
    for (const auto& mirror : profile.mirrors) {
        const auto from = eepromAddress(mirror.eeprom, memories.eeprom.size());
        for (std::uint32_t i = 0; i < mirror.length; ++i) {
            if (toRam)
                memories.ram.set(mirror.ram + i, memories.eeprom.get(from + i));
            else
                memories.eeprom.set(from + i, memories.ram.get(mirror.ram + i));
        }
    }
}

Memories buildMemories(const Profile& p, int platform) {
    const std::size_t ramSize = p.ramSize != 0 ? p.ramSize : platformRamSize(platform);
    const std::size_t eepromSize = p.eepromSize != 0 ? p.eepromSize : (platform == 5 ? 256 : 512);
    if (eepromSize > kMaxMemory || p.flashSize > kMaxMemory)
        throw std::runtime_error("memories reach at most 64 kB through 16-bit addresses");
    if (!isPowerOfTwo(eepromSize)) throw std::runtime_error("EEPROM size must be a power of two");
    if (platformHasByteAccess(platform) && (eepromSize < 1024 || eepromSize > 32768))
        throw std::runtime_error("EEPROM size must be 1024 to 32768 bytes on platform " +
                                 std::to_string(platform));
    if ((platform == 6 || platform == 61) && eepromSize != 512)
        throw std::runtime_error("platforms 6 and 61 have 512 bytes of EEPROM");
    for (const auto& mirror : p.mirrors)
        if (mirror.ram + mirror.length > ramSize)
            throw std::runtime_error("a mirror reaches beyond RAM");

    Memories m{Memory(ramSize, Memory::Decode::Bounded, 0),
               Memory(eepromSize, Memory::Decode::Wrap, 0xFF),
               Memory(p.flashSize, Memory::Decode::Bounded, 0xFF)};
    for (std::size_t i = 0; i < p.firmware.size() && i < p.flashSize; ++i)
        m.flash.set(static_cast<std::uint32_t>(i), static_cast<std::uint8_t>(p.firmware[i]));

    if (platform == 5) {
        writeParameters(p, m, platform);
        buildPlatform5(p, m);
    } else if (platform == 6 || platform == 61) {
        writeParameters(p, m, platform);
        buildPlatform6(p, m);
    } else {
        buildImage78(p, platform, m);
        writeParameters(p, m, platform);
        copyMirrors(p, m, true);
    }
    return m;
}

}  // namespace kvsim
