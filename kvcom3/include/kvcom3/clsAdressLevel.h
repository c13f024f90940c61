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
// Properties follow one pattern: `Name(...)` reads, `LetName(..., value)` writes. Addresses are
// byte addresses (register r of a Modbus space is bytes 2r and 2r+1). Members that reach the
// sensor raise the transfer errors: 1000, 1200, 1201 or 1202 "Communication error" (no usable
// reply after every attempt; the number tells the cause: none, no acknowledge, no
// clear-to-receive, checksum), 1001 "No communication with production network", 1100 "No
// connection established" (off line), 1101 "Elegal ID number", 1111 "Memtype is read only",
// 32755 "Cancel was selected", 6 for a Modbus address outside 0-255, and the port's own errors (9
// port number outside 0-23, 53 no such device, 70 no permission, 8005 in use by another program,
// 75 any other failure). A failed transfer has closed the port and logged the description.
// Coils and discrete inputs have no image: storing either raises 1203.
class clsAdressLevel {
  public:
    clsAdressLevel();
    ~clsAdressLevel();
    clsAdressLevel(const clsAdressLevel&) = delete;
    clsAdressLevel& operator=(const clsAdressLevel&) = delete;

    // Memory size in bytes: RAM 1024 (platform 7) or 2048 (platform 8), else 0; EEPROM as
    // EEPROMsize(); 1203 for any other type. May read the part byte and size code (transfer
    // errors, 1205, 1207). blnForce is accepted and not used.
    std::int32_t MemSize(std::uint8_t kvMemType, bool blnForce = false);
    // Sets the EEPROM size code `value` in the image (and its mirror, sent at once when forced),
    // only when the code's address is already in the image; 1203 for any type but EEPROM.
    void LetMemSize(std::uint8_t kvMemType, bool blnForce, std::int32_t value);
    // Empties the image, letting pending events run before and after.
    void Clear();
    // Set Mask to 0, FileLock to 0, FileWarning to 0, or Mask to 255, in every address the image
    // holds. No errors.
    void ClearAdressMasks();
    void ClearFileLocks();
    void ClearFileWarnings();
    void MaskAll();
    // EEPROM size in bytes: 512 on platforms 6 and 61; on 7 and 8 from the size code at EEPROM
    // 65513 (read once), 1207 "Unknown EEPROM size" for 64 kB or more; 0 on other platforms. 1205
    // and the transfer errors as Platform.
    std::int32_t EEPROMsize();
    // 5, 6, 61, 7 or 8 by the part byte (read from RAM 65 when the image lacks it); 1205 "Unknown
    // Product" for part byte 255 or a part of no known platform; the transfer errors.
    std::uint8_t Platform();
    // 0 or 1 (or the version byte itself) on platform 7, from the last EEPROM byte or the test
    // word before it; 0 on every other platform. Errors as Platform and EEPROMsize.
    std::uint8_t ProcessorVersion();
    // Sets RTS of the current port, on line or not, open or not; 9 for a port outside 0-23.
    void RTSenable(bool& NewValue);
    // Whether the image holds a value for the address as the program sees it (P) or as the sensor
    // last reported it (S); false for an address never touched. No errors.
    bool AdressGotValueP(std::int32_t lngAdr, std::uint8_t kvMemType = kvEEPROM);
    bool AdressGotValueS(std::int32_t lngAdr, std::uint8_t kvMemType);
    // The caller's per-address marks (the memory map keeps a cell's mask and file-lock state
    // here); 0 for an address never touched. No errors.
    std::uint8_t Mask(std::int32_t lngAdr, std::uint8_t kvMemType = kvEEPROM);
    std::uint8_t FileLock(std::int32_t lngAdr, std::uint8_t kvMemType = kvEEPROM);
    std::uint8_t FileWarning(std::int32_t lngAdr, std::uint8_t kvMemType = kvEEPROM);
    // Set a mark, adding the address to the image; 1203 for coils and discrete inputs.
    void LetMask(std::int32_t lngAdr, std::uint8_t kvMemType, std::uint8_t value);
    void LetFileLock(std::int32_t lngAdr, std::uint8_t kvMemType, std::uint8_t value);
    void LetFileWarning(std::int32_t lngAdr, std::uint8_t kvMemType, std::uint8_t value);
    // Switches the sensor's transparent mode or its power on (true) or off; always sent as
    // Modbus commands. The transfer errors.
    void Transparent(bool Value);
    void Power(bool Value);
    // Restarts the sensor through the current protocol; 1108 "Command is not supported" where
    // the sensor's command set lacks it, and the transfer errors.
    void SensorReset();
    // A value of lngNrOfBytes (1-4) bytes at lngAdr (an EEPROM address wraps at its size, as in
    // ReadFromSensor) from the image, read from the sensor first where the image has none or when
    // forced, joined in kvByteOrder; with a bit mask, the masked bits shifted down. 6 for fewer
    // than 1 byte or a value wider than 32 bits, 1102 "Adress is not set" when a byte is still
    // missing, and the errors of ReadFromSensor.
    std::int32_t Value(std::int32_t lngAdr, std::int32_t lngNrOfBytes,
                       std::uint8_t kvMemType = kvRAM, bool blnForce = false,
                       std::int32_t lngBitMask = 0,
                       std::uint8_t kvByteOrder = kvLSByteAtHighAdress);
    // Reads lngNrOfBytes bytes from lngStartAdr into the image (the whole memory when 0; EEPROM
    // addresses wrap at its size), choosing the addresses by kvReadSensOption, in the largest
    // blocks the protocol allows. Raises Action and Progress as it goes. 1103 "Cant access
    // EEPROM on this sensor" on platform 5, 1203, 1205, 1207 and the transfer errors; after a
    // failure the image keeps what arrived before it.
    void ReadFromSensor(std::int32_t lngStartAdr = 0, std::int32_t lngNrOfBytes = 0,
                        std::uint8_t kvMemType = kvRAM,
                        std::uint8_t kvReadSensOption = kvAutoReadFromSensor);
    // Whether the part byte names a sensor with a flash processor; 1205 for part byte 255, and
    // the transfer errors when it has to be read.
    bool IsFlashProc();
    // Sends the image's values of lngNrOfBytes bytes from lngStartAdr to the sensor (the whole
    // memory when 0), the addresses chosen by kvWriteSensOption. Word EEPROM (platforms 6 and 61)
    // and holding registers are written in whole words, a half the image lacks read first. EEPROM
    // is unlocked, written, read back to verify and locked again; after a failure an
    // acknowledged unlock is followed by a lock of at most three attempts. Raises Action and
    // Progress as it goes. 1206 "Error writing to EEPROM" when a block still differs after one
    // repetition, 1108 for a command outside the sensor's set, 1203, 1205, 1207 and the transfer
    // errors; nothing already written is undone. With the journal on (kvcom3/Journal.h) an EEPROM
    // write first reads the old values the image lacks and records the change, and raises 70 or
    // 75 before sending anything when the journal cannot be written.
    void WriteToSensor(std::int32_t lngStartAdr = 0, std::int32_t lngNrOfBytes = 0,
                       std::uint8_t kvMemType = kvRAM,
                       std::uint8_t kvWriteSensOption = kvAutoWriteToSensor);
    // Puts newValue into the image as Value reads it (at the same wrapped EEPROM address; under
    // the bit mask: only the masked bits change, the rest read first where unknown), and sends it
    // at once when forced. 1109 "Value
    // is to big for the AdrMask", 1203, and with force or a mask the errors of the transfers.
    void LetValue(std::int32_t lngAdr, std::int32_t lngNrOfBytes, std::uint8_t kvMemType,
                  bool blnForce, std::int32_t lngBitMask, std::uint8_t kvByteOrder,
                  std::int32_t newValue);
    // Modbus CRC-16 of the first `Size` bytes (all of them when `Size` is negative, and `Size`
    // then receives the length); 65535 for an empty range; 9 when `Size` exceeds the bytes.
    std::int32_t CRC(const std::vector<std::uint8_t>& ByteArray, std::int32_t& Size);
    std::int32_t CRC(const std::vector<std::uint8_t>& ByteArray);
    // The part byte (RAM 65), read from the sensor when unknown or forced; errors as Value.
    std::uint8_t Part(bool blnForce = false);
    // Sets the part byte, only when RAM 65 is already in the image (else nothing happens); sent
    // at once when forced, with the transfer errors.
    void LetPart(bool blnForce, std::uint8_t value);
    // Open the current port (when on line and not yet open), or close it (when on line and the
    // caller did not ask to leave it open). Opening raises the port's errors.
    void OpenCOMport();
    void CloseCOMport();

    // One line of communication log, the action under way ("" when done), progress 0-100.
    Event<std::string> ComLogg;
    Event<std::string> Action;
    Event<std::int16_t> Progress;

  private:
    friend class AdressLevelTestAccess;  // tests reach the transfers through this seam only

    void ReadBlock(std::int32_t lngAdr, std::uint8_t count, std::uint8_t memType,
                   std::uint8_t& timingClass);
    void WriteBlock(std::int32_t lngAdr, std::uint8_t count, std::uint8_t memType,
                    std::uint8_t timingClass);
    // `attempts`: fewer attempts than the protocol's own; 0 for the protocol's own.
    void SendCommand(kvSensorCommands& command, std::uint8_t timingClass, int attempts = 0);
    void ReadBlockMB(std::int32_t lngAdr, std::uint8_t count, std::uint8_t memType);
    void WriteBlockMB(std::int32_t lngAdr, std::uint8_t count, std::uint8_t memType);
    void SendCommandMB(kvSensorCommands command, int attempts = 0);
    void SendComID();
    void SelectPosition();
    struct AttemptNotes;
    void BeginAttempt(int k, std::uint8_t timingClass, const AttemptNotes& notes, int attempts);
    std::optional<std::vector<std::uint8_t>> Exchange(const std::vector<std::uint8_t>& frame,
                                                      std::size_t replyLength,
                                                      std::chrono::milliseconds replyTimeout,
                                                      std::uint8_t timingClass,
                                                      AttemptNotes& notes);

    bool IsByteAccess();
    // An EEPROM address reduced to the sensor's size, as ReadFromSensor and WriteToSensor take it.
    std::int32_t EepromAddress(std::int32_t adr);
    // LetValue at the address as given: the identification sets the size code's own addresses.
    void LetValueAt(std::int32_t lngAdr, std::int32_t lngNrOfBytes, std::uint8_t kvMemType,
                    bool blnForce, std::int32_t lngBitMask, std::uint8_t kvByteOrder,
                    std::int32_t newValue);
    void ReadMarked(std::int32_t start, const std::vector<bool>& marked, std::uint8_t memType,
                    std::uint8_t platform);
    struct WriteState;
    void WriteVerified(std::int32_t start, std::int32_t length, std::uint8_t memType,
                       WriteState& state);
    void ReadOtherHalves(std::int32_t start, std::int32_t length, std::uint8_t memType);
    void SendOne(kvSensorCommands command, int attempts = 0);
    void Log(std::string text);
    void RaiseAction(std::string text);

    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace kvcom3
