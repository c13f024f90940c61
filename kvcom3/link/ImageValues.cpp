// Values of 1-4 bytes in the image: byte orders, bit masks, reading what is missing.
#include "kvcom3/KvError.h"
#include "kvcom3/clsAdressLevel.h"
#include "link/AdressLevelImpl.h"

namespace kvcom3 {

namespace {

// The lowest bit the mask has: 1, 2, 4, ...; 0 for a mask below 1.
std::int64_t LowestSetBit(std::int32_t mask) {
    if (mask < 1) return 0;
    return std::int64_t{mask} & -std::int64_t{mask};
}

int byteShift(std::int32_t i, std::int32_t n, std::uint8_t order) {
    return 8 * (order == kvLSByteAtHighAdress ? n - 1 - i : i);
}

// Every sensor with EEPROM has at least this much.
constexpr std::int32_t kSmallestEeprom = 512;

}  // namespace

std::int32_t clsAdressLevel::EepromAddress(std::int32_t adr) {
    // Below the smallest size no address wraps, so the size (and the part byte behind it) need
    // not be asked for.
    if (adr >= 0 && adr < kSmallestEeprom) return adr;
    return adr & (EEPROMsize() - 1);
}

std::int32_t clsAdressLevel::Value(std::int32_t lngAdr, std::int32_t lngNrOfBytes,
                                   std::uint8_t kvMemType, bool blnForce, std::int32_t lngBitMask,
                                   std::uint8_t kvByteOrder) {
    if (lngNrOfBytes < 1) {
        raisePlatformError(platform_error::Overflow,
                           "a value of " + std::to_string(lngNrOfBytes) + " bytes");
    }
    if (kvMemType == kvEEPROM) lngAdr = EepromAddress(lngAdr);
    for (std::int32_t i = 0; i < lngNrOfBytes; ++i) {
        const clsAdress* r = d_->image.find(lngAdr + i, kvMemType);
        if (r == nullptr || !r->GotValueP || blnForce) {
            // One read covers the rest of the value.
            ReadFromSensor(lngAdr + i, lngNrOfBytes - i, kvMemType,
                           blnForce ? kvReadFromSensor : kvAutoReadFromSensor);
            break;
        }
    }
    std::uint64_t v = 0;
    for (std::int32_t i = 0; i < lngNrOfBytes; ++i) {
        const clsAdress* r = d_->image.find(lngAdr + i, kvMemType);
        if (r == nullptr) d_->errors.Raise(errAdressNotSet);
        if (kvByteOrder > kvLSByteAtLowAdress) continue;
        int shift = byteShift(i, lngNrOfBytes, kvByteOrder);
        if (shift >= 32) {
            if (r->Value != 0)
                raisePlatformError(platform_error::Overflow, "value wider than 4 bytes");
            continue;
        }
        v |= std::uint64_t{r->Value} << shift;
    }
    // Four bytes with the top bit set come back as the signed 32-bit value.
    auto result = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    if (lngBitMask > 0)
        result = static_cast<std::int32_t>((result & lngBitMask) / LowestSetBit(lngBitMask));
    return result;
}

void clsAdressLevel::LetValue(std::int32_t lngAdr, std::int32_t lngNrOfBytes,
                              std::uint8_t kvMemType, bool blnForce, std::int32_t lngBitMask,
                              std::uint8_t kvByteOrder, std::int32_t newValue) {
    if (kvMemType == kvEEPROM) lngAdr = EepromAddress(lngAdr);
    LetValueAt(lngAdr, lngNrOfBytes, kvMemType, blnForce, lngBitMask, kvByteOrder, newValue);
}

void clsAdressLevel::LetValueAt(std::int32_t lngAdr, std::int32_t lngNrOfBytes,
                                std::uint8_t kvMemType, bool blnForce, std::int32_t lngBitMask,
                                std::uint8_t kvByteOrder, std::int32_t newValue) {
    std::int64_t shift = LowestSetBit(lngBitMask);
    if (shift * newValue > lngBitMask) d_->errors.Raise(errValueTooBig);
    std::int64_t v = newValue;
    if (lngBitMask > 0) {
        std::int64_t old = Value(lngAdr, lngNrOfBytes, kvMemType, false, 0, kvByteOrder);
        std::int64_t width =
            lngNrOfBytes >= 4 ? 0xFFFFFFFFLL : (std::int64_t{1} << (8 * lngNrOfBytes)) - 1;
        v = (old & ~std::int64_t{lngBitMask} & width) + ((shift * newValue) & lngBitMask);
    }
    for (std::int32_t i = 0; i < lngNrOfBytes; ++i) {
        clsAdress& r = d_->image.obtain(lngAdr + i, kvMemType);
        int s = byteShift(i, lngNrOfBytes, kvByteOrder);
        r.Value = s < 64 ? static_cast<std::uint8_t>((v >> s) & 0xFF) : 0;
        r.GotValueP = true;
    }
    if (blnForce) WriteToSensor(lngAdr, lngNrOfBytes, kvMemType, kvWriteToSensor);
}

}  // namespace kvcom3
