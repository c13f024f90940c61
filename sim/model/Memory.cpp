#include "model/Memory.h"

namespace kvsim {

Memory::Memory(std::size_t size, Decode decode, std::uint8_t fill)
    : bytes_(size, fill), decode_(decode) {}

bool Memory::inside(std::uint32_t address, std::uint32_t& index) const {
    if (bytes_.empty()) return false;
    if (decode_ == Decode::Wrap) {
        index = address & static_cast<std::uint32_t>(bytes_.size() - 1);
        return true;
    }
    if (address >= bytes_.size()) return false;
    index = address;
    return true;
}

std::uint8_t Memory::get(std::uint32_t address) const {
    std::uint32_t index = 0;
    return inside(address, index) ? bytes_[index] : 0xFF;
}

void Memory::set(std::uint32_t address, std::uint8_t value) {
    std::uint32_t index = 0;
    if (inside(address, index)) bytes_[index] = value;
}

std::uint32_t Memory::getValue(std::uint32_t address, int bytes, bool bigEndian) const {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) {
        const int shift = 8 * (bigEndian ? bytes - 1 - i : i);
        value |= static_cast<std::uint32_t>(get(address + static_cast<std::uint32_t>(i))) << shift;
    }
    return value;
}

void Memory::setValue(std::uint32_t address, int bytes, std::uint32_t value, bool bigEndian) {
    for (int i = 0; i < bytes; ++i) {
        const int shift = 8 * (bigEndian ? bytes - 1 - i : i);
        set(address + static_cast<std::uint32_t>(i), static_cast<std::uint8_t>(value >> shift));
    }
}

int Memory::getSigned16(std::uint32_t address) const {
    const auto word = static_cast<int>(getValue(address, 2));
    return word >= 0x8000 ? word - 0x10000 : word;
}

void Memory::fill(std::uint32_t address, std::size_t count, std::uint8_t value) {
    for (std::size_t i = 0; i < count; ++i) set(address + static_cast<std::uint32_t>(i), value);
}

}  // namespace kvsim
