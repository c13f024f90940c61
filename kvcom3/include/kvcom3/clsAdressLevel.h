#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kvcom3/Enums.h"
#include "kvcom3/Event.h"

namespace kvcom3 {

enum kvSensorCommands : std::uint8_t;

// The address level: an image of the connected sensor's memory, address by address and memory
// type by memory type, and the transfers that fill it from the sensor and send it back.
//
// Properties follow one pattern: `Name(...)` reads, `LetName(..., value)` writes. Members that may
// reach the sensor raise KvError with the library's numbers; so do the events' handlers' callers.
class clsAdressLevel {
  public:
    clsAdressLevel();
    ~clsAdressLevel();
    clsAdressLevel(const clsAdressLevel&) = delete;
    clsAdressLevel& operator=(const clsAdressLevel&) = delete;

    // Memory size in bytes: RAM 1024 (platform 7) or 2048 (platform 8), else 0; EEPROM as
    // EEPROMsize(); 1203 for any other type.
    std::int32_t MemSize(std::uint8_t kvMemType, bool blnForce = false);
    // Sets the EEPROM size code (EEPROM only), when the code's address is already in the image.
    void LetMemSize(std::uint8_t kvMemType, bool blnForce, std::int32_t value);
    // Empties the image.
    void Clear();
    void ClearAdressMasks();
    void ClearFileLocks();
    void ClearFileWarnings();
    void MaskAll();
    std::int32_t EEPROMsize();
    std::uint8_t Platform();
    std::uint8_t ProcessorVersion();
    // Sets RTS of the current port, on line or not, open or not.
    void RTSenable(bool& NewValue);
    bool AdressGotValueP(std::int32_t lngAdr, std::uint8_t kvMemType = kvEEPROM);
    bool AdressGotValueS(std::int32_t lngAdr, std::uint8_t kvMemType);
    std::uint8_t Mask(std::int32_t lngAdr, std::uint8_t kvMemType = kvEEPROM);
    std::uint8_t FileLock(std::int32_t lngAdr, std::uint8_t kvMemType = kvEEPROM);
    std::uint8_t FileWarning(std::int32_t lngAdr, std::uint8_t kvMemType = kvEEPROM);
    void LetMask(std::int32_t lngAdr, std::uint8_t kvMemType, std::uint8_t value);
    void LetFileLock(std::int32_t lngAdr, std::uint8_t kvMemType, std::uint8_t value);
    void LetFileWarning(std::int32_t lngAdr, std::uint8_t kvMemType, std::uint8_t value);
    // Switches the sensor's transparent mode or its power; always sent as Modbus commands.
    void Transparent(bool Value);
    void Power(bool Value);
    // Restarts the sensor through the current protocol.
    void SensorReset();
    // A value of 1-4 bytes from the image, read from the sensor first where the image has none
    // or when forced; with a bit mask, the masked bits shifted down.
    std::int32_t Value(std::int32_t lngAdr, std::int32_t lngNrOfBytes,
                       std::uint8_t kvMemType = kvRAM, bool blnForce = false,
                       std::int32_t lngBitMask = 0,
                       std::uint8_t kvByteOrder = kvLSByteAtHighAdress);
    void ReadFromSensor(std::int32_t lngStartAdr = 0, std::int32_t lngNrOfBytes = 0,
                        std::uint8_t kvMemType = kvRAM,
                        std::uint8_t kvReadSensOption = kvAutoReadFromSensor);
    bool IsFlashProc();
    void WriteToSensor(std::int32_t lngStartAdr = 0, std::int32_t lngNrOfBytes = 0,
                       std::uint8_t kvMemType = kvRAM,
                       std::uint8_t kvWriteSensOption = kvAutoWriteToSensor);
    // Puts a value into the image (and sends it at once when forced).
    void LetValue(std::int32_t lngAdr, std::int32_t lngNrOfBytes, std::uint8_t kvMemType,
                  bool blnForce, std::int32_t lngBitMask, std::uint8_t kvByteOrder,
                  std::int32_t newValue);
    // Modbus CRC-16 of the first `Size` bytes (all of them when `Size` is negative, and `Size`
    // then receives the length); 65535 for an empty range.
    std::int32_t CRC(const std::vector<std::uint8_t>& ByteArray, std::int32_t& Size);
    std::int32_t CRC(const std::vector<std::uint8_t>& ByteArray);
    // The part byte (RAM 65).
    std::uint8_t Part(bool blnForce = false);
    void LetPart(bool blnForce, std::uint8_t value);
    void OpenCOMport();
    void CloseCOMport();

    // One line of communication log, the action under way, progress 0-100.
    Event<std::string> ComLogg;
    Event<std::string> Action;
    Event<std::int16_t> Progress;

  private:
    friend class AdressLevelTestAccess;  // tests reach the transfers through this seam only

    void ReadBlock(std::int32_t lngAdr, std::uint8_t count, std::uint8_t memType,
                   std::uint8_t& timingClass);
    void WriteBlock(std::int32_t lngAdr, std::uint8_t count, std::uint8_t memType,
                    std::uint8_t timingClass);
    void SendCommand(kvSensorCommands& command, std::uint8_t timingClass);
    void ReadBlockMB(std::int32_t lngAdr, std::uint8_t count, std::uint8_t memType);
    void WriteBlockMB(std::int32_t lngAdr, std::uint8_t count, std::uint8_t memType);
    void SendCommandMB(kvSensorCommands command);
    void SendComID();
    void SelectPosition();
    struct AttemptNotes;
    void BeginAttempt(int k, std::uint8_t timingClass, const AttemptNotes& notes);
    std::optional<std::vector<std::uint8_t>> Exchange(const std::vector<std::uint8_t>& frame,
                                                      std::size_t replyLength,
                                                      std::chrono::milliseconds replyTimeout,
                                                      std::uint8_t timingClass,
                                                      AttemptNotes& notes);

    bool IsByteAccess();
    void ReadMarked(std::int32_t start, const std::vector<bool>& marked, std::uint8_t memType,
                    std::uint8_t platform);
    struct WriteState;
    void WriteVerified(std::int32_t start, std::int32_t length, std::uint8_t memType,
                       WriteState& state);
    void SendOne(kvSensorCommands command);
    void Log(std::string text);
    void RaiseAction(std::string text);

    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace kvcom3
