// Writing the image's changes to the sensor: block cutting, and for EEPROM the unlock, write,
// verify and lock sequence.
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "facade/LibraryState.h"
#include "journal/JournalWrite.h"
#include "kvcom3/KvError.h"
#include "kvcom3/clsAdressLevel.h"
#include "link/AddressRange.h"
#include "link/AdressLevelImpl.h"
#include "link/SensorCommands.h"
#include "link/SensorIdentity.h"
#include "link/TransferFailure.h"
#include "link/WriteSelection.h"

namespace kvcom3 {

struct clsAdressLevel::WriteState {
    std::uint8_t platform = 0;
    bool unlocked = false;     // as far as this write knows
    bool unlockAcked = false;  // this write's unlock was acknowledged and no lock followed
    bool announced = false;    // "Writing to sensor" raised
};

namespace {

// The lock after a failed write is a courtesy: a sensor that stopped answering must not hold the
// failure back for the command's full attempts.
constexpr int kLockAttemptsAfterFailure = 3;

std::int16_t percent(std::int64_t done, std::int64_t total) {
    auto p = std::nearbyint(100.0 * static_cast<double>(done) / static_cast<double>(total));
    return static_cast<std::int16_t>(std::min(p, 100.0));
}

// One block to write, sent once the walk's progress has reached address index `due`.
struct Block {
    std::int32_t start;
    std::int32_t length;
    std::int32_t due;
};

}  // namespace

void clsAdressLevel::SendOne(kvSensorCommands command, int attempts) {
    SendCommand(command, 0, attempts);
}

void clsAdressLevel::WriteToSensor(std::int32_t lngStartAdr, std::int32_t lngNrOfBytes,
                                   std::uint8_t kvMemType, std::uint8_t kvWriteSensOption) {
    const bool all =
        kvWriteSensOption == kvWriteToSensor || kvWriteSensOption == kvWriteMaskedAdressesToSensor;
    const bool masked = kvWriteSensOption == kvAutoWriteMaskedAdressesToSensor ||
                        kvWriteSensOption == kvWriteMaskedAdressesToSensor;
    WriteState state;
    try {
        if (kvMemType == kvEEPROM) lngStartAdr &= EEPROMsize() - 1;
        if (lngNrOfBytes == 0) {
            lngStartAdr = 0;
            lngNrOfBytes = MemSize(kvMemType);
        }
        requireAddressable(lngStartAdr, lngNrOfBytes, kvMemType);
        if (!AdressGotValueP(65, kvRAM)) {
            RaiseAction("Reading Part");
            std::uint8_t timing = 0;
            ReadBlock(65, 1, kvRAM, timing);
        }
        state.platform = Platform();
        RaiseAction("Searching");
        // The journal holds the bytes this write changes on disk before the first one goes out.
        JournalWrite journal = JournalWrite::begin(*this, d_->image, lngStartAdr, lngNrOfBytes,
                                                   kvMemType, all, masked, state.platform);

        const bool wordEeprom = kvMemType == kvEEPROM && !isByteAccessPlatform(state.platform);
        const std::int32_t maxBlock = (gProtokoll == kvMB && state.platform == 8) ? 16 : 4;
        std::vector<Block> blocks;
        std::int32_t blockStart = -1;
        auto endBlock = [&](std::int32_t end, std::int32_t due) {
            std::int32_t length = end - blockStart + 1;
            if (wordEeprom && length % 2 != 0) ++length;
            blocks.push_back({blockStart, length, due});
            blockStart = -1;
        };
        for (std::int32_t i = 0; i < lngNrOfBytes; ++i) {
            std::int32_t adr = lngStartAdr + i;
            const clsAdress* r = d_->image.find(adr, kvMemType);
            bool write = isToBeWritten(r, all, masked);
            if (!write) {
                if (blockStart >= 0) endBlock(adr - 1, i);
                continue;
            }
            // A block never crosses a 16-byte boundary.
            if (blockStart >= 0 && ((adr ^ blockStart) & 0x10) != 0) endBlock(adr - 1, i);
            if (blockStart < 0) blockStart = wordEeprom && adr % 2 != 0 ? adr - 1 : adr;
            if (adr - blockStart + 1 >= maxBlock || i == lngNrOfBytes - 1) endBlock(adr, i);
        }
        // Word EEPROM and holding registers take whole words: a half the caller never set is
        // read before anything is unlocked or written.
        if (wordEeprom || kvMemType == kvMBHR) {
            for (const Block& b : blocks) ReadOtherHalves(b.start, b.length, kvMemType);
        }

        auto next = blocks.begin();
        for (std::int32_t i = 0; i < lngNrOfBytes; ++i) {
            std::int16_t progress = percent(i + 1, lngNrOfBytes);
            Progress.raise(progress);
            for (; next != blocks.end() && next->due == i; ++next) {
                WriteVerified(next->start, next->length, kvMemType, state);
            }
        }
        journal.done();

        if (state.unlocked && state.platform != 5) {
            RaiseAction("Locking EEPROM");
            SendOne(cmdLockEEPROM);
            state.unlockAcked = false;
        }
        if (kvMemType == kvEEPROM && (state.platform == 6 || state.platform == 61)) {
            RaiseAction("Sending EEPROM to RAM");
            SendOne(cmdEEPROMtoRAM);
        } else if (kvMemType != kvEEPROM && state.platform == 5) {
            RaiseAction("Sending RAM to EEPROM");
            SendOne(cmdRAMtoEEPROM);
        }
        RaiseAction("");
        std::int16_t zero = 0;
        Progress.raise(zero);
    } catch (...) {
        if (state.unlockAcked) {
            // An EEPROM left open would take any stray byte on the line; close it before
            // reporting. Its own failure is logged by the transfer and changes nothing here.
            try {
                SendOne(cmdLockEEPROM, kLockAttemptsAfterFailure);
            } catch (...) {
            }
        }
        RaiseAction("");
        if (auto text = handledDescription()) Log(*text);
        std::int16_t zero = 0;
        Progress.raise(zero);
        throw;
    }
}

void clsAdressLevel::ReadOtherHalves(std::int32_t start, std::int32_t length,
                                     std::uint8_t memType) {
    const std::int32_t first = start - start % 2;
    const std::int32_t count = ((start + length - 1) | 1) - first + 1;
    std::vector<std::optional<std::uint8_t>> waiting;
    for (std::int32_t a = first; a < first + count; ++a) {
        const clsAdress* r = d_->image.find(a, memType);
        waiting.push_back(r != nullptr && r->GotValueP ? std::optional(r->Value) : std::nullopt);
    }
    if (std::all_of(waiting.begin(), waiting.end(), [](const auto& v) { return v.has_value(); })) {
        return;
    }
    ReadFromSensor(first, count, memType, kvAutoReadFromSensor);
    // The read brings whole words; the caller's values still wait to be written.
    for (std::int32_t i = 0; i < count; ++i) {
        if (auto v = waiting[static_cast<std::size_t>(i)])
            d_->image.find(first + i, memType)->Value = *v;
    }
}

void clsAdressLevel::WriteVerified(std::int32_t start, std::int32_t length, std::uint8_t memType,
                                   WriteState& state) {
    const auto count = static_cast<std::uint8_t>(length);
    bool repeated = false;
    while (true) {
        if (memType == kvEEPROM && !state.unlocked && state.platform != 5) {
            RaiseAction("Unlocking EEPROM");
            SendOne(cmdUnlockEEPROM);
            state.unlocked = true;
            state.unlockAcked = true;
        }
        if (!state.announced) {
            RaiseAction("Writing to sensor");
            state.announced = true;
        }
        WriteBlock(start, count, memType, 0);
        if (memType != kvEEPROM) return;

        std::vector<std::uint8_t> written;
        for (std::int32_t i = 0; i < length; ++i) {
            written.push_back(d_->image.find(start + i, memType)->SensorValue);
        }
        std::uint8_t timing = 0;
        ReadBlock(start, count, memType, timing);
        std::int32_t firstDiff = -1;
        for (std::int32_t i = 0; i < length && firstDiff < 0; ++i) {
            if (d_->image.find(start + i, memType)->Value != written[static_cast<std::size_t>(i)]) {
                firstDiff = i;
            }
        }
        if (firstDiff < 0) return;
        if (repeated) d_->errors.Raise(errWritingEEPROM);
        for (std::int32_t i = 0; i < length; ++i) {
            d_->image.find(start + i, memType)->Value = written[static_cast<std::size_t>(i)];
        }
        state.unlocked = false;
        // A word EEPROM takes whole words: the repair writes the word that holds the byte.
        if (isByteAccessPlatform(state.platform)) {
            WriteBlock(start + firstDiff, 1, memType, state.platform);
        } else {
            WriteBlock(start + firstDiff - firstDiff % 2, 2, memType, state.platform);
        }
        repeated = true;
    }
}

}  // namespace kvcom3
