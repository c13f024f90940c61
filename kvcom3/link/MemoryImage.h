#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace kvcom3 {

// What the image knows about one address of one memory type.
struct clsAdress {
    std::int32_t Adr = 0;
    std::uint8_t MemType = 0;
    std::uint8_t Mask = 0;
    std::uint8_t Value = 0;
    std::uint8_t SensorValue = 0;
    bool GotValueS = false;
    bool GotValueP = false;
    std::uint8_t FileLock = 0;
    std::uint8_t FileWarning = 0;

    // The record's key: the address in decimal and a letter for the memory type ("65r").
    std::string Key() const;
};

// The memory image: per memory type a table of records in pages of 256 addresses, created as
// addresses are touched. Only the types with a key letter (RAM, EEPROM, FLASH, input and holding
// registers) can be stored.
class MemoryImage {
  public:
    static bool storable(std::uint8_t memType) { return memType < kTypes; }

    // The record, or nullptr when the address was never touched.
    clsAdress* find(std::int32_t adr, std::uint8_t memType);
    const clsAdress* find(std::int32_t adr, std::uint8_t memType) const;
    // The record, created fresh when missing; raises 1203 for a type that cannot be stored.
    clsAdress& obtain(std::int32_t adr, std::uint8_t memType);

    template <class Fn>
    void forEach(Fn&& fn) {
        for (auto& table : tables_) {
            for (auto& [index, page] : table) {
                for (std::size_t i = 0; i < kPageSize; ++i) {
                    if (page->present[i]) fn(page->records[i]);
                }
            }
        }
    }
    std::size_t size() const { return count_; }

    // Bytes the sensor sent for adr, adr + 1, ...: both values, both valid flags.
    void enterRead(std::int32_t adr, std::uint8_t memType, std::span<const std::uint8_t> bytes);
    // The values to send for a block; nothing when an address has no valid value.
    std::optional<std::vector<std::uint8_t>> valuesToWrite(std::int32_t adr, std::int32_t count,
                                                           std::uint8_t memType) const;
    // The sensor acknowledged the block: its values are now the sensor's.
    void acknowledgeWrite(std::int32_t adr, std::int32_t count, std::uint8_t memType);
    void clear();

  private:
    static constexpr std::size_t kTypes = 5;
    static constexpr std::size_t kPageSize = 256;
    struct Page {
        std::array<clsAdress, kPageSize> records{};
        std::array<bool, kPageSize> present{};
    };
    using Table = std::unordered_map<std::int32_t, std::unique_ptr<Page>>;

    std::array<Table, kTypes> tables_;
    std::size_t count_ = 0;
};

}  // namespace kvcom3
