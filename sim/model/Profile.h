#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace kvsim {

// The device a profile file describes. Everything a reader needs to see where a byte of the
// memory image comes from is here; the layout rules that place it are in the image builders.
struct Profile {
    // Hidden properties of the hardware: what the sensor would need in its EEPROM to read the
    // world exactly. Calibrations exist to find them.
    struct Co2Hardware {
        double zero = 2048;      // zero factor Z that makes zero gas read 61440 counts
        double span = 2048;      // span factor S
        double ts = 0;           // span temperature coefficient of the detector
        double signalNoise = 4;  // counts (one sigma) on the raw signal
    };
    struct RhHardware {
        double zeroV = 0.8;         // probe output at 0 %RH
        double slopeMvPerPct = 31;  // probe slope
    };
    // The CO element: "heated" (resistive element with humidity cross-sensitivity, read through
    // the divider circuit) or "figaro" (cell whose raw count rises linearly with CO).
    struct CoHardware {
        std::string kind;
        double r0Ohm = 200000;          // heated: resistance in clean, dry air
        double ohmPerGm3 = -1800;       // heated: resistance change per g/m3 absolute humidity
        double ohmPerPpm = -500;        // heated: resistance change per ppm CO
        double zeroCount = 20000;       // figaro: raw count in clean air
        double countsPerPpm = 20;       // figaro: raw counts per ppm
        double crossSensitivity = 0.1;  // ppm CO equivalent per unit of gas exposure
    };
    struct Hardware {
        double temperatureErrorC = 0;  // the space temperature element reads this much high
        double detectorOffsetC = 1.5;  // detector self-heating above space temperature
        Co2Hardware co2;
        RhHardware rh;
        CoHardware co;
    };
    struct Logger {
        std::uint16_t size = 0;
        std::uint16_t startValue = 0;
        std::uint16_t pointer = 0;
    };
    struct Mirror {
        std::int32_t eeprom = 0;  // negative: counted back from the end of EEPROM
        std::uint32_t ram = 0;
        std::uint32_t length = 0;
    };
    struct Menu {
        std::uint8_t displayNr = 1;
        std::uint8_t menuNr = 2;
        std::uint8_t ledAckBatNr = 0;
    };

    std::string name;
    std::string description;
    std::uint8_t partByte = 0;
    std::uint32_t serialNumber = 0;
    std::uint8_t processorVersion = 0;
    std::size_t ramSize = 0;  // 0: the platform's size
    std::size_t eepromSize = 0;
    std::uint8_t communicationOption = 0;
    std::size_t flashSize = 0;
    std::string firmware;
    std::map<std::string, int> productId;
    std::map<std::string, std::uint16_t> baseAddresses;
    std::vector<std::uint8_t> adsCode;
    std::vector<std::array<int, 17>> tables;
    std::vector<std::uint8_t> caseChannels;
    std::vector<std::uint8_t> caseRegs;
    Menu menu;
    std::vector<std::array<int, 2>> ranges;
    std::string userInfo;
    std::vector<Logger> loggers;
    std::map<std::string, long> parameters;
    std::vector<Mirror> mirrors;
    Hardware hardware;
    std::uint32_t noiseSeed = 1;
};

// Reads a profile file. A profile may name another with "extends"; its own entries then
// replace those of the other (a JSON merge patch). Throws std::runtime_error naming the file.
Profile loadProfile(const std::filesystem::path& file);

// The file a profile name stands for: a path (with a folder or ending in .json) as given, else the
// shipped profile of that name, installed beside kvsim or in the source tree.
std::filesystem::path profileFile(const std::string& nameOrPath);

}  // namespace kvsim
