// KVBUS transfers: the handshake, the attempt loop with its pauses and time-outs, and the
// production-network switch.
#include <chrono>
#include <string>

#include "facade/LibraryState.h"
#include "kvcom3/Clock.h"
#include "kvcom3/KvError.h"
#include "link/AdressLevelImpl.h"
#include "link/ComPort.h"
#include "link/KvbusFrames.h"
#include "link/SensorIdentity.h"
#include "link/TransferFailure.h"

namespace kvcom3 {

using namespace std::chrono_literals;

namespace {

constexpr auto kRetryPause = 20ms;
constexpr auto kFramePause = 30ms;
constexpr auto kCtrTimeout = 100ms;
constexpr auto kCtrTimeoutSlow = 800ms;
constexpr auto kReplyTimeout = 500ms;
constexpr auto kCommandTimeout = 3000ms;
constexpr std::uint8_t kSlowTiming = 5;

bool isKvbusMemory(std::uint8_t memType) {
    return memType == kvRAM || memType == kvEEPROM;
}

std::string memoryName(std::uint8_t memType) {
    return memType == kvEEPROM ? "EEPROM" : "RAM";
}

// Lets pending events run while a short pause passes.
void pauseYielding(std::chrono::milliseconds pause) {
    Deadline deadline(pause);
    while (!deadline.expired()) {
        pumpEvents();
        Sleep(std::min(deadline.remaining(), 5ms));
    }
}

}  // namespace

// What went wrong in the attempts of one transfer; decides the number it gives up with.
struct clsAdressLevel::AttemptNotes {
    bool notCTR = false;
    bool notACK = false;
    bool checksum = false;

    [[noreturn]] void giveUp(const clsErrors& errors) const {
        if (notCTR) errors.Raise(errNoCtr);
        if (notACK) errors.Raise(errNoAck);
        if (checksum) errors.Raise(errChecksum);
        errors.Raise(errCommunication);
    }
};

void clsAdressLevel::SendComID() {
    auto address = kvbus::addressByte(gConnection.ComID);
    if (!address) d_->errors.Raise(errIllegalID);
    std::uint8_t byte = *address;
    currentPort().write({&byte, 1});
}

// One attempt's exchange: address byte, clear-to-receive, the frame after a pause, and a reply
// of `replyLength` bytes that begins with ACK. Nothing when the attempt failed (already logged).
std::optional<std::vector<std::uint8_t>> clsAdressLevel::Exchange(
    const std::vector<std::uint8_t>& frame, std::size_t replyLength,
    std::chrono::milliseconds replyTimeout, std::uint8_t timingClass, AttemptNotes& notes) {
    // Leftovers of a failed attempt (a short or late reply) must not pass for this one's CTR.
    currentPort().readAll();
    SendComID();
    if (!WaitForBytes(1, timingClass == kSlowTiming ? kCtrTimeoutSlow : kCtrTimeout)) {
        Log("No CTR");
        return std::nullopt;
    }
    if (currentPort().readAll()[0] != kvbus::kCTR) {
        Log("Not CTR");
        notes.notCTR = true;
        return std::nullopt;
    }
    Sleep(kFramePause);
    currentPort().write(frame);
    if (!WaitForBytes(replyLength, replyTimeout)) {
        Log("No ACK");
        return std::nullopt;
    }
    auto reply = currentPort().readAll();
    if (!kvbus::isAck(reply[0])) {
        Log("Not ACK");
        notes.notACK = true;
        return std::nullopt;
    }
    return reply;
}

void clsAdressLevel::ReadBlock(std::int32_t lngAdr, std::uint8_t count, std::uint8_t memType,
                               std::uint8_t& timingClass) {
    if (gProtokoll == kvMB) {
        ReadBlockMB(lngAdr, count, memType);
        kvcom3::CloseCOMport();
        Log("OK");
        return;
    }
    failSafely(*this, [&] {
        if (!gConnection.OnLine) d_->errors.Raise(errNoConnection);
        if (!isKvbusMemory(memType)) d_->errors.Raise(errMemTypeNotSupported);
        bool eeprom = memType == kvEEPROM;
        bool partByte = !eeprom && lngAdr == 65 && count == 1;
        bool byteAccess = !partByte && IsByteAccess();
        currentPort().setSettings(kvbus::kLineSettings);
        auto frame = kvbus::readFrame(lngAdr, count, eeprom, byteAccess);
        Log("Reading " + std::to_string(count) + " bytes from adress " + std::to_string(lngAdr) +
            " in " + memoryName(memType));
        kvcom3::OpenCOMport([this](const std::string& notice) { Log(notice); });
        AttemptNotes notes;
        for (int k = 0;; ++k) {
            if (gCancel) d_->errors.Raise(errCancel);
            Sleep(kRetryPause);
            if (k == 5) ReopenCOMport();
            if (k == attemptLimit(50)) notes.giveUp(d_->errors);
            if (k == 40) timingClass = kSlowTiming;
            auto reply = Exchange(frame, count + 2u, kReplyTimeout, timingClass, notes);
            if (!reply) continue;
            for (std::size_t i = 1; i <= count; ++i) Log(std::to_string((*reply)[i]));
            if ((*reply)[count + 1u] != kvbus::checksum({reply->data(), count + 1u})) {
                Log("Fel CS");
                notes.checksum = true;
                continue;
            }
            // Bytes enter the image only once the checksum vouches for them.
            d_->image.enterRead(lngAdr, memType, {reply->data() + 1, count});
            kvcom3::CloseCOMport();
            Log("OK");
            return;
        }
    });
}

void clsAdressLevel::WriteBlock(std::int32_t lngAdr, std::uint8_t count, std::uint8_t memType,
                                std::uint8_t timingClass) {
    if (gProtokoll == kvMB) {
        WriteBlockMB(lngAdr, count, memType);
        kvcom3::CloseCOMport();
        Log("OK");
        return;
    }
    failSafely(*this, [&] {
        if (!gConnection.OnLine) d_->errors.Raise(errNoConnection);
        if (!isKvbusMemory(memType)) d_->errors.Raise(errMemTypeNotSupported);
        currentPort().setSettings(kvbus::kLineSettings);
        auto values = d_->image.valuesToWrite(lngAdr, count, memType);
        if (!values) d_->errors.Raise(errAdressNotSet);
        const std::vector<std::uint8_t>& data = *values;
        auto frame = kvbus::writeFrame(lngAdr, data, memType == kvEEPROM, IsByteAccess());
        Log("Writing " + std::to_string(count) + " bytes to adress " + std::to_string(lngAdr) +
            " in " + memoryName(memType));
        kvcom3::OpenCOMport([this](const std::string& notice) { Log(notice); });
        AttemptNotes notes;
        for (int k = 0;; ++k) {
            BeginAttempt(k, timingClass, notes, 0);
            if (!Exchange(frame, 1, kReplyTimeout, timingClass, notes)) continue;
            d_->image.acknowledgeWrite(lngAdr, count, memType);
            for (std::uint8_t b : data) Log(std::to_string(b));
            kvcom3::CloseCOMport();
            Log("OK");
            return;
        }
    });
}

void clsAdressLevel::SendCommand(kvSensorCommands& command, std::uint8_t timingClass,
                                 int attempts) {
    if (gProtokoll == kvMB) {
        SendCommandMB(command, attempts);
        kvcom3::CloseCOMport();
        Log("OK");
        return;
    }
    failSafely(*this, [&] {
        if (!gConnection.OnLine) d_->errors.Raise(errNoConnection);
        currentPort().setSettings(kvbus::kLineSettings);
        std::uint8_t part = Part();
        kvbus::CommandInfo info = kvbus::commandFrame(command, commandSetOf(part));
        if (info.logText != nullptr) Log(info.logText);
        if (!info.frame) d_->errors.Raise(errCommandNotSupported);
        if (command == cmdUnlockEEPROM && platformOfPart(part) == 6) {
            // These sensors accept the unlock only after RAM 230 was set to 1.
            LetValue(230, 1, kvRAM, true, 0, kvLSByteAtHighAdress, 1);
        }
        kvcom3::OpenCOMport([this](const std::string& notice) { Log(notice); });
        AttemptNotes notes;
        for (int k = 0;; ++k) {
            BeginAttempt(k, timingClass, notes, attempts);
            if (!Exchange(*info.frame, 1, kCommandTimeout, timingClass, notes)) continue;
            kvcom3::CloseCOMport();
            Log("OK");
            return;
        }
    });
}

// The opening of every write and command attempt: cancel, pause, reopen, give up.
void clsAdressLevel::BeginAttempt(int k, std::uint8_t timingClass, const AttemptNotes& notes,
                                  int attempts) {
    if (gCancel) d_->errors.Raise(errCancel);
    if (k > 0) Sleep(kRetryPause);
    if (attempts > 0 && k == attempts) notes.giveUp(d_->errors);
    if (k == 5) ReopenCOMport();
    if (k == attemptLimit(timingClass == kSlowTiming ? 10 : 50)) notes.giveUp(d_->errors);
}

void clsAdressLevel::SelectPosition() {
    failSafely(
        *this,
        [&] {
            std::int16_t position = gConnection.ComIDx;
            std::int16_t board = gConnection.ComIDy;
            if (position != d_->lastIDx || board != d_->lastIDy) {
                // The switch frame carries the position in one byte and the board in two: a
                // number that does not fit would select another sensor.
                if (position < 0 || position > 255 || board < 0) {
                    raisePlatformError(platform_error::Overflow,
                                       "production network position " + std::to_string(position) +
                                           " on board " + std::to_string(board));
                }
                std::string text = "Changing to pos " + std::to_string(position) + " on board nr " +
                                   std::to_string(board);
                RaiseAction(text);
                Log(text);
                kvcom3::OpenCOMport([this](const std::string& notice) { Log(notice); });
                auto select = kvbus::muxSelectFrame(static_cast<std::uint16_t>(board),
                                                    static_cast<std::uint8_t>(position));
                for (int k = 0;; ++k) {
                    if (gCancel) d_->errors.Raise(errCancel);
                    if (k > 0) Sleep(kRetryPause);
                    if (k == attemptLimit(100)) d_->errors.Raise(errProductionNetwork);
                    if (k == 50) ReopenCOMport();
                    PortSlot& port = currentPort();
                    port.readAll();
                    port.write(kvbus::muxPreamble());
                    pauseYielding(10ms);
                    port.write(select);
                    WaitForBytes(1, 10ms);
                    if (port.bytesWaiting() != 1) continue;
                    if (port.readAll()[0] == kvbus::kMuxAck) break;
                }
                // Only an acknowledged switch counts; a failed one is tried again next time.
                d_->lastIDx = position;
                d_->lastIDy = board;
            }
            kvcom3::CloseCOMport();
            RaiseAction("");
            Log("OK");
        },
        [this] { RaiseAction(""); });
}

}  // namespace kvcom3
