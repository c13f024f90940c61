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
class clsAdressLevel {
  public:
    clsAdressLevel();
    ~clsAdressLevel();
    clsAdressLevel(const clsAdressLevel&) = delete;
    clsAdressLevel& operator=(const clsAdressLevel&) = delete;

    // Sets RTS of the current port, on line or not, open or not.
    void RTSenable(bool& NewValue);
    void OpenCOMport();
    void CloseCOMport();

    // Switches the sensor's transparent mode or its power; always sent as Modbus commands.
    void Transparent(bool Value);
    void Power(bool Value);
    // Restarts the sensor through the current protocol.
    void SensorReset();

    // Modbus CRC-16 of the first `Size` bytes (all of them when `Size` is negative, and `Size`
    // then receives the length); 65535 for an empty range.
    std::int32_t CRC(const std::vector<std::uint8_t>& ByteArray, std::int32_t& Size);
    std::int32_t CRC(const std::vector<std::uint8_t>& ByteArray);

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

    std::uint8_t PartByte();
    bool IsByteAccess();
    void Log(std::string text);
    void RaiseAction(std::string text);

    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace kvcom3
