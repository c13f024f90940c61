#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/Cell.h"

// Where platform-7 and platform-8 sensors keep things. EEPROM addresses are negative where the
// sensor counts back from the end of its EEPROM.
namespace kvsim::layout78 {

// EEPROM, identity and configuration at the end.
constexpr std::int32_t kUpperRegionFull = -308;  // with a flash processor (measurement structure)
constexpr std::int32_t kUpperRegionNoFlash = -272;
constexpr std::int32_t kHwOutConfig = -272;
constexpr std::int32_t kCaseRegs = -248;
constexpr std::int32_t kCaseChannels = -232;
constexpr std::int32_t kEvents = -216;
constexpr std::int32_t kAlgorithmSlots = -136;  // 42 two-byte slots: start, header 0-5, states
constexpr int kAlgorithmSlotCount = 42;
constexpr std::int32_t kLampOff = -34;
constexpr std::int32_t kLampOn = -32;
constexpr std::int32_t kFracX = -31;
constexpr std::int32_t kPart = -29;
constexpr std::int32_t kErrorMask = -28;
constexpr std::int32_t kNchan = -27;
constexpr std::int32_t kSerialNr = -26;         // 3 bytes, least significant first
constexpr std::int32_t kEepromSize = -23;       // size code (low nibble), communication option
constexpr std::int32_t kSpaceTempSensor = -22;  // low nibble; probe CO2 batch in the high one
constexpr std::int32_t kProbeCo2Range = -21;    // low nibble; CO2 sensor nr in the high one
constexpr std::int32_t kExtraProbe = -20;
constexpr std::int32_t kTerminalBlocks = -19;  // top (low nibble), bottom jumper block (high)
constexpr std::int32_t kCo2SensorNrExtension = -18;
constexpr std::int32_t kDisplayAndBox = -17;  // display and push buttons (low), box (high)
constexpr std::int32_t kBaseAddresses = -16;  // six words
constexpr std::int32_t kProcVer = -4;
constexpr std::int32_t kProcessorVersionByte = -1;  // the last byte, read to identify

// EEPROM, the fixed block at the start ends here.
constexpr std::int32_t kLowRegionEnd = 164;

// Base-address names in the order of their words at kBaseAddresses.
constexpr const char* kBaseNames[6] = {"ADS_CODE",  "TABLE",    "MENU",
                                       "RANGE_PAR", "UserInfo", "TWAarray"};
constexpr int kAdsCodeBytes = 45;
constexpr int kTableCount = 5;
constexpr int kTablePoints = 17;
constexpr int kTableBytes = 34;
constexpr int kMenuHeaderBytes = 16;
constexpr int kRangeParBytes = 64;
constexpr int kUserInfoBytes = 156;
constexpr int kLoggerCount = 4;
constexpr int kTwaArrayBytes = 32;

// Tables by number.
constexpr int kTemperatureTable = 0;
constexpr int kCo2Table = 2;
constexpr int kRhTable = 3;
constexpr int kCoTable = 4;

// RAM working variables.
constexpr std::uint32_t kRamChan = 12;  // 16 words
constexpr std::uint32_t kRamSysTimer = 44;
constexpr std::uint32_t kRamCnt4ms = 46;
constexpr std::uint32_t kRamPart = 65;
constexpr std::uint32_t kRamErrorStat = 67;
constexpr std::uint32_t kRamRegData = 268;  // 16 words
constexpr std::uint32_t kRamMinutes = 334;
constexpr std::uint32_t kRamRtcQsec = 335;
constexpr std::uint32_t kRamSensorId = 336;
constexpr std::uint32_t kRamAbcSample = 338;
constexpr std::uint32_t kRamIrLow = 342;         // platform 7
constexpr std::uint32_t kRamGenStat = 376;       // channel disable bits 0-7, then at 377 8-15
constexpr std::uint32_t kRamIrAmplitude = 1296;  // platform 8: low and high word per phase

// Channels of the measurement.
constexpr int kChanSpaceTemp = 4;
constexpr int kChanCo2 = 5;
constexpr int kChanRh = 6;
constexpr int kChanCo = 7;
constexpr int kChanCoRaw = 13;
constexpr int kChanCo2Raw = 14;
constexpr int kChanDetectorTemp = 15;

// Parameter cells by their memory-map names: wPar_i, bPar_i, RegPar0_i ... RegPar2_i,
// CountPar_i, AdjustPar_i, oosPar_i, ABC_Period_i, ABC_Frac_i, ABC_Target_i, ABC_Sample_i,
// ABC_Time_i, AlgSlot_i, HWOutConfig_i, Event_i, SensorID_i, LampOff, LampOn, FracX, FracY,
// ErrorMask, NCHAN.
std::optional<Cell> parameterCell(const std::string& name);

}  // namespace kvsim::layout78
