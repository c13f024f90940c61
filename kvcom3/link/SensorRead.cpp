// Reading a range of the sensor's memory into the image, cut into protocol blocks.
#include <algorithm>
#include <cmath>

#include "facade/LibraryState.h"
#include "kvcom3/KvError.h"
#include "kvcom3/clsAdressLevel.h"
#include "link/AddressRange.h"
#include "link/AdressLevelImpl.h"
#include "link/SensorIdentity.h"
#include "link/TransferFailure.h"

namespace kvcom3 {

namespace {

// done / total as a percentage, halves to even, at most 100.
std::int16_t percent(std::int64_t done, std::int64_t total) {
    if (total <= 0) return 100;
    auto p = std::nearbyint(100.0 * static_cast<double>(done) / static_cast<double>(total));
    return static_cast<std::int16_t>(std::min(p, 100.0));
}

}  // namespace

void clsAdressLevel::ReadFromSensor(std::int32_t lngStartAdr, std::int32_t lngNrOfBytes,
                                    std::uint8_t kvMemType, std::uint8_t kvReadSensOption) {
    try {
        if (kvMemType == kvEEPROM) lngStartAdr &= EEPROMsize() - 1;
        if (lngNrOfBytes == 0) {
            lngStartAdr = 0;
            lngNrOfBytes = MemSize(kvMemType);
        }
        if (lngNrOfBytes < 0) {
            raisePlatformError(platform_error::InvalidCall,
                               "a read of " + std::to_string(lngNrOfBytes) + " bytes");
        }
        requireAddressable(lngStartAdr, lngNrOfBytes, kvMemType);
        std::vector<bool> marked(static_cast<std::size_t>(lngNrOfBytes));
        for (std::int32_t i = 0; i < lngNrOfBytes; ++i) {
            std::int32_t adr = lngStartAdr + i;
            bool mark = false;
            switch (kvReadSensOption) {
                case kvReadFromSensor: mark = true; break;
                case kvAutoReadMaskedAdressesFromSensor:
                    mark = Mask(adr, kvMemType) != 0 && !AdressGotValueP(adr, kvMemType);
                    break;
                case kvReadMaskedAdressesFromSensor: mark = Mask(adr, kvMemType) != 0; break;
                default: mark = !d_->image.obtain(adr, kvMemType).GotValueP; break;
            }
            marked[static_cast<std::size_t>(i)] = mark;
        }
        SelectPosition();
        RaiseAction("Reading from sensor");
        if (!AdressGotValueP(65, kvRAM)) {
            std::uint8_t timing = 0;
            ReadBlock(65, 1, kvRAM, timing);
            // An automatic read takes only what the image lacks, and it has the part byte now.
            const std::int32_t part = 65 - lngStartAdr;
            const bool automatic = kvReadSensOption != kvReadFromSensor &&
                                   kvReadSensOption != kvReadMaskedAdressesFromSensor;
            if (automatic && kvMemType == kvRAM && part >= 0 && part < lngNrOfBytes) {
                marked[static_cast<std::size_t>(part)] = false;
            }
        }
        std::uint8_t platform = Platform();
        if (kvMemType == kvEEPROM && platform == 5) d_->errors.Raise(errNoEEPROMAccess);
        ReadMarked(lngStartAdr, marked, kvMemType, platform);
        RaiseAction("");
        std::int16_t full = 100;
        Progress.raise(full);
    } catch (...) {
        RaiseAction("");
        if (auto text = handledDescription()) Log(*text);
        std::int16_t full = 100;
        Progress.raise(full);
        throw;
    }
}

void clsAdressLevel::ReadMarked(std::int32_t start, const std::vector<bool>& marked,
                                std::uint8_t memType, std::uint8_t platform) {
    const bool wordEeprom = memType == kvEEPROM && !isByteAccessPlatform(platform);
    const std::int32_t maxBlock = gProtokoll == kvMB ? 32 : 6;
    std::uint8_t timing = platform;  // platform 5 reads with its slow timing from the start
    const auto total = std::count(marked.begin(), marked.end(), true);
    const auto last = static_cast<std::int32_t>(marked.size()) - 1;
    std::int64_t done = 0;
    std::int32_t blockStart = -1;
    auto readBlock = [&](std::int32_t end) {
        std::int32_t length = end - blockStart + 1;
        if (wordEeprom && length % 2 != 0) ++length;
        ReadBlock(blockStart, static_cast<std::uint8_t>(length), memType, timing);
        blockStart = -1;
    };
    for (std::int32_t i = 0; i <= last; ++i) {
        std::int32_t adr = start + i;
        if (marked[static_cast<std::size_t>(i)]) {
            std::int16_t progress = percent(done++, total);
            Progress.raise(progress);
            if (blockStart < 0) blockStart = wordEeprom && adr % 2 != 0 ? adr - 1 : adr;
            if (adr - blockStart + 1 >= maxBlock || i == last) readBlock(adr);
        } else if (blockStart >= 0) {
            readBlock(adr - 1);
        }
    }
}

}  // namespace kvcom3
