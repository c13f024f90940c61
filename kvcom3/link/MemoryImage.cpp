#include "link/MemoryImage.h"

#include <utility>

#include "facade/clsErrors.h"

namespace kvcom3 {

namespace {

// Floor division, so that negative addresses land on their own pages.
std::int32_t pageOf(std::int32_t adr) {
    return adr >= 0 ? adr / 256 : -((-(adr + 1)) / 256) - 1;
}
std::size_t slotOf(std::int32_t adr) {
    return static_cast<std::size_t>(adr - pageOf(adr) * 256);
}

}  // namespace

std::string clsAdress::Key() const {
    static constexpr char kLetters[] = {'r', 'e', 'f', 'i', 'h'};
    std::string key = std::to_string(Adr);
    if (MemType < sizeof kLetters) key += kLetters[MemType];
    return key;
}

const clsAdress* MemoryImage::find(std::int32_t adr, std::uint8_t memType) const {
    if (!storable(memType)) return nullptr;
    const Table& table = tables_[memType];
    auto it = table.find(pageOf(adr));
    if (it == table.end()) return nullptr;
    std::size_t slot = slotOf(adr);
    return it->second->present[slot] ? &it->second->records[slot] : nullptr;
}

clsAdress* MemoryImage::find(std::int32_t adr, std::uint8_t memType) {
    return const_cast<clsAdress*>(std::as_const(*this).find(adr, memType));
}

clsAdress& MemoryImage::obtain(std::int32_t adr, std::uint8_t memType) {
    if (!storable(memType)) clsErrors().Raise(errMemTypeNotSupported);
    auto& page = tables_[memType][pageOf(adr)];
    if (!page) page = std::make_unique<Page>();
    std::size_t slot = slotOf(adr);
    clsAdress& record = page->records[slot];
    if (!page->present[slot]) {
        page->present[slot] = true;
        record = clsAdress{};
        record.Adr = adr;
        record.MemType = memType;
        ++count_;
    }
    return record;
}

void MemoryImage::enterRead(std::int32_t adr, std::uint8_t memType,
                            std::span<const std::uint8_t> bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        clsAdress& record = obtain(adr + static_cast<std::int32_t>(i), memType);
        record.SensorValue = bytes[i];
        record.Value = bytes[i];
        record.GotValueS = true;
        record.GotValueP = true;
    }
}

std::optional<std::vector<std::uint8_t>> MemoryImage::valuesToWrite(std::int32_t adr,
                                                                    std::int32_t count,
                                                                    std::uint8_t memType) const {
    std::vector<std::uint8_t> values;
    for (std::int32_t i = 0; i < count; ++i) {
        const clsAdress* record = find(adr + i, memType);
        if (record == nullptr || !record->GotValueP) return std::nullopt;
        values.push_back(record->Value);
    }
    return values;
}

void MemoryImage::acknowledgeWrite(std::int32_t adr, std::int32_t count, std::uint8_t memType) {
    for (std::int32_t i = 0; i < count; ++i) {
        clsAdress& record = *find(adr + i, memType);
        record.SensorValue = record.Value;
        record.GotValueS = record.GotValueP;
    }
}

void MemoryImage::clear() {
    for (auto& table : tables_) table.clear();
    count_ = 0;
}

}  // namespace kvcom3
