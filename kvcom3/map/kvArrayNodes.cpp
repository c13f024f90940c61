// The collection of cells and the keys it derives.
#include "facade/clsErrors.h"
#include "kvcom3/kvArrayNode.h"
#include "map/CurrentAdressLevel.h"
#include "map/MapRevision.h"

namespace kvcom3 {

namespace {

std::string_view keyPrefix(std::uint8_t memType) {
    switch (memType) {
        case kvRAM: return "ra";
        case kvEEPROM: return "ea";
        case kvFLASH: return "fl";
        case kvMBIR: return "mi";
        case kvMBHR: return "mh";
        default: return {};
    }
}

}  // namespace

std::string DerivedKey(std::string_view strName, std::uint8_t bteMemType) {
    // The name is walked with a byte-wide counter, which overflows at 255 characters.
    if (strName.size() >= 255) raisePlatformError(platform_error::Overflow);
    std::string key(keyPrefix(bteMemType));
    key.reserve(key.size() + strName.size());
    for (char c : strName) key.push_back(c == ' ' ? '_' : c);
    return key;
}

std::shared_ptr<kvArrayNode> kvArrayNodes::Add(const std::string& strName, std::int32_t lngAdr,
                                               std::int32_t lngNrOfBytes, std::uint8_t bteMemType,
                                               std::uint8_t bteByteOrder, std::int32_t lngMask,
                                               std::string_view strKey) {
    if (lngAdr < 0) lngAdr += 65536;
    if (bteMemType == kvEEPROM) lngAdr &= currentAdressLevel().MemSize(kvEEPROM) - 1;
    auto node = std::make_shared<kvArrayNode>();
    node->LetName(strName);
    node->LetAdr(lngAdr);
    node->LetNrOfBytes(lngNrOfBytes);
    node->LetMemType(bteMemType);
    node->LetByteOrder(bteByteOrder);
    node->LetAdrMask(lngMask);
    node->LetKey(strKey.empty() ? DerivedKey(strName, bteMemType) : std::string(strKey));
    items_.Add(node, node->Key());
    bumpMapRevision();
    return node;
}

void kvArrayNodes::Remove(long index) {
    items_.Remove(index);
    bumpMapRevision();
}

void kvArrayNodes::Remove(std::string_view key) {
    items_.Remove(key);
    bumpMapRevision();
}

void kvArrayNodes::RemoveAt(const Variant& vntIndexKey) {
    items_.Remove(vntIndexKey);
    bumpMapRevision();
}

}  // namespace kvcom3
