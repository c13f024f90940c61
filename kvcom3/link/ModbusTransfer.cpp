// Modbus RTU transfers: the maker's memory functions, the register spaces and special commands.
#include <chrono>
#include <string>

#include "facade/LibraryState.h"
#include "kvcom3/Clock.h"
#include "kvcom3/KvError.h"
#include "link/AdressLevelImpl.h"
#include "link/ComPort.h"
#include "link/ModbusFrames.h"
#include "link/ModbusLine.h"
#include "link/TransferFailure.h"

namespace kvcom3 {

using namespace std::chrono_literals;

namespace {

constexpr auto kRetryPause = 20ms;
constexpr auto kReadTimeout = 1000ms;
constexpr auto kWriteTimeout = 500ms;
constexpr auto kCommandTimeout = 180ms;
constexpr int kAttempts = 10;

std::uint8_t slaveAddress() {
    std::int16_t id = gConnection.ComID;
    if (id == -1) return 254;
    if (id < 0 || id > 255) raisePlatformError(platform_error::Overflow, "Modbus slave address");
    return static_cast<std::uint8_t>(id);
}

bool isRegisterSpace(std::uint8_t memType) {
    return memType == kvMBIR || memType == kvMBHR;
}

// Register spaces carry whole registers: an odd start or length widens the block.
void wholeRegisters(std::uint8_t memType, std::int32_t& adr, std::uint8_t& count) {
    if (!isRegisterSpace(memType)) return;
    if (adr % 2 != 0) {
        --adr;
        ++count;
    }
    if (count % 2 != 0) ++count;
}

// A byte address as the register that holds it, with ".5" for the register's second byte.
std::string registerNumber(std::int32_t adr) {
    return std::to_string(adr / 2) + (adr % 2 != 0 ? ".5" : "");
}

std::string memoryName(std::uint8_t memType) {
    switch (memType) {
        case kvEEPROM: return "EEPROM";
        case kvFLASH: return "FLASH";
        default: return "RAM";
    }
}

// The port's Modbus line: the baud rate it asks for, two stop bits.
void useModbusLine() {
    PortSlot& port = currentPort();
    port.setSettings(modbus::lineSettings(port.options().modbusBaud));
}

// Sends a request once the line has been quiet for a frame's silence at its present rate.
void sendRequest(PortSlot& port, const std::vector<std::uint8_t>& frame) {
    port.keepSilence(modbus::frameSilence(port.settings()));
    port.write(frame);
}

}  // namespace

void clsAdressLevel::ReadBlockMB(std::int32_t lngAdr, std::uint8_t count, std::uint8_t memType) {
    failSafely(*this, [&] {
        auto function = modbus::readFunction(memType);
        if (!function) d_->errors.Raise(errMemTypeNotSupported);
        if (!gConnection.OnLine) d_->errors.Raise(errNoConnection);
        if (memType == kvMBIR) {
            Log("Reading " + std::to_string(count) + " bytes from adress " +
                registerNumber(lngAdr) + " in IR");
        } else if (memType != kvMBHR) {
            Log("Reading " + std::to_string(count) + " bytes from adress " +
                std::to_string(lngAdr) + " in " + memoryName(memType));
        }
        wholeRegisters(memType, lngAdr, count);
        useModbusLine();
        auto frame = modbus::readFrame(slaveAddress(), memType, lngAdr, count);
        kvcom3::OpenCOMport([this](const std::string& notice) { Log(notice); });
        bool crcFailure = false;
        for (int k = 0;; ++k) {
            if (gCancel) d_->errors.Raise(errCancel);
            if (k == attemptLimit(kAttempts))
                d_->errors.Raise(crcFailure ? errChecksum : errCommunication);
            if (k == 5) ReopenCOMport();
            PortSlot& port = currentPort();
            port.readAll();  // stale input must not pass for the reply
            sendRequest(port, frame);
            WaitForBytes(count + 5u, replyWait(kReadTimeout));
            auto reply = port.readAll();
            modbus::Judgement verdict = modbus::judgeRead(reply, *function, count);
            for (auto& line : verdict.log) Log(line);
            crcFailure = crcFailure || verdict.crcFailure;
            if (!verdict.accepted) continue;
            const std::span<const std::uint8_t> bytes(reply.data() + 3, count);
            d_->image.enterRead(lngAdr, memType, bytes);
            for (std::uint8_t b : bytes) Log(std::to_string(b));
            kvcom3::CloseCOMport();
            Log("OK");
            return;
        }
    });
}

void clsAdressLevel::WriteBlockMB(std::int32_t lngAdr, std::uint8_t count, std::uint8_t memType) {
    failSafely(*this, [&] {
        if (memType == kvMBIR) d_->errors.Raise(errMemtypeReadOnly);
        auto function = modbus::writeFunction(memType);
        if (!function) d_->errors.Raise(errMemTypeNotSupported);
        if (!gConnection.OnLine) d_->errors.Raise(errNoConnection);
        const std::string text = memType == kvMBHR
                                     ? "Writing " + std::to_string(count) + " bytes to adress " +
                                           registerNumber(lngAdr) + " to IR"
                                     : "Writing " + std::to_string(count) + " bytes to adress " +
                                           std::to_string(lngAdr) + " in " + memoryName(memType);
        wholeRegisters(memType, lngAdr, count);
        useModbusLine();
        auto values = d_->image.valuesToWrite(lngAdr, count, memType);
        if (!values) d_->errors.Raise(errAdressNotSet);
        const std::vector<std::uint8_t>& data = *values;
        auto frame = modbus::writeFrame(slaveAddress(), memType, lngAdr, data);
        Log(text);
        kvcom3::OpenCOMport([this](const std::string& notice) { Log(notice); });
        bool functionError = false;
        for (int k = 0;; ++k) {
            if (gCancel) d_->errors.Raise(errCancel);
            if (k > 0) Sleep(kRetryPause);
            if (k == attemptLimit(kAttempts))
                d_->errors.Raise(functionError ? errNoAck : errCommunication);
            if (k == 5) ReopenCOMport();
            PortSlot& port = currentPort();
            port.readAll();  // a late reply to an earlier attempt would spoil this one's CRC
            sendRequest(port, frame);
            WaitForBytes(modbus::writeReplyLength(*function), kWriteTimeout);
            auto verdict = modbus::judgeWrite(port.readAll(), frame[0], *function);
            for (auto& line : verdict.log) Log(line);
            functionError = functionError || verdict.functionError;
            if (!verdict.accepted) continue;
            d_->image.acknowledgeWrite(lngAdr, count, memType);
            for (std::uint8_t b : data) Log(std::to_string(b));
            kvcom3::CloseCOMport();
            Log("OK");
            return;
        }
    });
}

void clsAdressLevel::SendCommandMB(kvSensorCommands command, int attempts) {
    failSafely(*this, [&] {
        if (!gConnection.OnLine) d_->errors.Raise(errNoConnection);
        useModbusLine();
        auto info = modbus::commandFrame(slaveAddress(), command);
        if (!info) d_->errors.Raise(errCommandNotSupported);
        Log(info->logText);
        kvcom3::OpenCOMport([this](const std::string& notice) { Log(notice); });
        bool notAck = false;
        for (int k = 0;; ++k) {
            if (gCancel) d_->errors.Raise(errCancel);
            if (k > 0) Sleep(kRetryPause);
            if (k == attemptLimit(attempts > 0 ? attempts : kAttempts)) {
                d_->errors.Raise(notAck ? errNoAck : errCommunication);
            }
            if (k == 5) ReopenCOMport();
            sendRequest(currentPort(), info->frame);
            WaitForBytes(4, kCommandTimeout);
            auto verdict = modbus::judgeCommand(currentPort().readAll());
            for (auto& line : verdict.log) Log(line);
            notAck = notAck || verdict.notAck;
            if (!verdict.accepted) continue;
            kvcom3::CloseCOMport();
            Log("OK");
            return;
        }
    });
}

void clsAdressLevel::Transparent(bool Value) {
    SendCommandMB(Value ? cmdTransparentOn : cmdTransparentOff);
}

void clsAdressLevel::Power(bool Value) {
    SendCommandMB(Value ? cmdPowerOn : cmdPowerOff);
}

void clsAdressLevel::SensorReset() {
    kvSensorCommands command = cmdRestart;
    SendCommand(command, 0);
}

std::int32_t clsAdressLevel::CRC(const std::vector<std::uint8_t>& ByteArray, std::int32_t& Size) {
    if (Size < 0) Size = static_cast<std::int32_t>(ByteArray.size());
    if (static_cast<std::size_t>(Size) > ByteArray.size()) {
        raisePlatformError(platform_error::SubscriptOutOfRange,
                           "CRC over " + std::to_string(Size) + " of " +
                               std::to_string(ByteArray.size()) + " bytes");
    }
    return modbus::crc16({ByteArray.data(), static_cast<std::size_t>(Size)});
}

std::int32_t clsAdressLevel::CRC(const std::vector<std::uint8_t>& ByteArray) {
    std::int32_t size = -1;
    return CRC(ByteArray, size);
}

}  // namespace kvcom3
