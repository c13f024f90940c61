#pragma once

#include <cstdint>
#include <span>

namespace kvsim {

// KVBUS checksum: the sum of the covered bytes modulo 256.
std::uint8_t sum8(std::span<const std::uint8_t> bytes);

// Modbus CRC-16 (reflected polynomial 0xA001, start 0xFFFF); sent low byte first.
std::uint16_t crc16(std::span<const std::uint8_t> bytes);

}  // namespace kvsim
