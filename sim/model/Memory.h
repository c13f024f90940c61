#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kvsim {

// One memory of the sensor. EEPROM decodes only its own address lines (addresses wrap modulo
// its power-of-two size); RAM and FLASH read 0xFF beyond their end and ignore writes there.
class Memory {
  public:
    enum class Decode { Wrap, Bounded };

    Memory(std::size_t size, Decode decode, std::uint8_t fill);

    std::size_t size() const { return bytes_.size(); }
    std::uint8_t get(std::uint32_t address) const;
    void set(std::uint32_t address, std::uint8_t value);

    // Multi-byte values of 1 to 4 bytes; bigEndian puts the most significant byte first.
    std::uint32_t getValue(std::uint32_t address, int bytes, bool bigEndian = true) const;
    void setValue(std::uint32_t address, int bytes, std::uint32_t value, bool bigEndian = true);
    // A 16-bit word read as signed.
    int getSigned16(std::uint32_t address) const;

    void fill(std::uint32_t address, std::size_t count, std::uint8_t value);

  private:
    bool inside(std::uint32_t address, std::uint32_t& index) const;

    std::vector<std::uint8_t> bytes_;
    Decode decode_;
};

}  // namespace kvsim
