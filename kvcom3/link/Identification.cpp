// What the sensor is: part byte, platform, processor, memory sizes.
#include "kvcom3/clsAdressLevel.h"
#include "link/AdressLevelImpl.h"
#include "link/SensorIdentity.h"

namespace kvcom3 {

namespace {

constexpr std::int32_t kSizeCodeAdr = 65513;  // 0xFFE9

std::int64_t sizeOfCode(std::int32_t code) {
    return std::int64_t{1024} << (code & 15);
}

}  // namespace

std::uint8_t clsAdressLevel::Part(bool blnForce) {
    return static_cast<std::uint8_t>(Value(65, 1, kvRAM, blnForce));
}

void clsAdressLevel::LetPart(bool blnForce, std::uint8_t value) {
    clsAdress* part = d_->image.find(65, kvRAM);
    if (part == nullptr) return;
    part->Value = value;
    part->GotValueP = true;
    part->MemType = kvRAM;
    LetValue(65, 1, kvRAM, blnForce, 0, kvLSByteAtHighAdress, value);
}

std::uint8_t clsAdressLevel::Platform() {
    return platformOfPart(Part());
}

bool clsAdressLevel::IsByteAccess() {
    return isByteAccessPlatform(Platform());
}

bool clsAdressLevel::IsFlashProc() {
    std::uint8_t part = Part();
    if (part == 255) d_->errors.Raise(errUnknownProduct);
    std::uint8_t code = partCode(part);
    return code >= 19 && code <= 22;
}

std::int32_t clsAdressLevel::EEPROMsize() {
    switch (Platform()) {
        case 6:
        case 61: return 512;
        case 7:
        case 8: {
            if (!AdressGotValueP(kSizeCodeAdr, kvEEPROM)) {
                std::uint8_t timing = 0;
                ReadBlock(kSizeCodeAdr, 1, kvEEPROM, timing);
            }
            std::int32_t code = d_->image.find(kSizeCodeAdr, kvEEPROM)->Value;
            std::int64_t size = sizeOfCode(code);
            if (size > 65535) d_->errors.Raise(errUnknownEEPROMSize);
            // The sensor answers the code at its own last address of that pattern too.
            LetValueAt(static_cast<std::int32_t>((size - 1) & 0xFFE9), 1, kvEEPROM, false, 0,
                       kvLSByteAtHighAdress, code);
            return static_cast<std::int32_t>(size);
        }
        default: return 0;
    }
}

std::uint8_t clsAdressLevel::ProcessorVersion() {
    if (Platform() != 7) return 0;
    std::int32_t size = EEPROMsize();
    std::int32_t v = Value(size - 1, 1, kvEEPROM);
    if (v != 0 && v != 255) return static_cast<std::uint8_t>(v);
    if (size == 8192) return 1;
    std::int32_t test = Value((size - 1) & 0xFFF4, 2, kvEEPROM);
    return test == 0xFD80 ? 0 : 1;
}

std::int32_t clsAdressLevel::MemSize(std::uint8_t kvMemType, bool) {
    switch (kvMemType) {
        case kvRAM: {
            std::uint8_t platform = Platform();
            return platform == 7 ? 1024 : platform == 8 ? 2048 : 0;
        }
        case kvEEPROM: return EEPROMsize();
        default: d_->errors.Raise(errMemTypeNotSupported);
    }
}

void clsAdressLevel::LetMemSize(std::uint8_t kvMemType, bool blnForce, std::int32_t value) {
    if (kvMemType != kvEEPROM) d_->errors.Raise(errMemTypeNotSupported);
    clsAdress* code = d_->image.find(kSizeCodeAdr, kvEEPROM);
    if (code == nullptr) return;
    code->Value = static_cast<std::uint8_t>(value & 0xFF);
    code->GotValueP = true;
    code->MemType = kvEEPROM;
    std::int64_t size = sizeOfCode(value);
    LetValueAt(static_cast<std::int32_t>((size - 1) & 0xFFE9), 1, kvEEPROM, blnForce, 0,
               kvLSByteAtHighAdress, value);
    LetValueAt(kSizeCodeAdr, 1, kvEEPROM, false, 0, kvLSByteAtHighAdress, value);
}

}  // namespace kvcom3
