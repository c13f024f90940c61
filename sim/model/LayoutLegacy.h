#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/Cell.h"

// Where the older platforms keep things. Platform 5 works from RAM (its EEPROM is only reached
// by the sensor's own RAMtoEEPROM); platforms 6 and 61 keep their parameters in a 512-byte EEPROM
// and a working copy in RAM.
namespace kvsim::layout5 {

constexpr std::uint32_t kLampOffTime = 36;  // 2 bytes, units of 4 ms
constexpr std::uint32_t kLampOnTime = 38;   // 1 byte, units of 4 ms
constexpr std::uint32_t kAct = 20;          // 4 words: channel value + 5000
constexpr std::uint32_t kFrac = 59;
constexpr std::uint32_t kNrOfSamples = 64;
constexpr std::uint32_t kPart = 65;
constexpr std::uint32_t kSerialNr = 66;  // 2 bytes, most significant first
constexpr std::uint32_t kOld = 68;       // 4 words: raw signals
constexpr std::uint32_t kZero = 256;
constexpr std::uint32_t kSpan = 264;
constexpr std::uint32_t kAmpHigh = 274;
constexpr std::uint32_t kAmpLow = 282;
constexpr std::uint32_t kTs = 330;            // byte, coefficient + 127
constexpr std::uint32_t kDetectorTemp = 362;  // byte, degrees C + 127
constexpr std::uint32_t kTz = 363;
constexpr int kActOffset = 5000;
constexpr int kByteOffset = 127;
constexpr int kChanTemp = 0;
constexpr int kChanCo2 = 1;

// Zero_i, Span_i, AmpHigh_i, AmpLow_i, Tz_i, Frac_i, Ts, LampOnTime, LampOffTime, NrOfSamples.
std::optional<Cell> parameterCell(const std::string& name);

}  // namespace kvsim::layout5

namespace kvsim::layout6 {

constexpr std::uint32_t kSerialNr = 170;       // EEPROM, 2 bytes, most significant first
constexpr std::uint32_t kUnlockRequest = 230;  // RAM: 1 allows the unlock command
constexpr std::uint32_t kRamChan = 12;
constexpr int kChanSpaceTemp = 4;
constexpr int kChanCo2 = 5;

}  // namespace kvsim::layout6
