#include <cmath>

#include "model/Layout78.h"
#include "model/LayoutLegacy.h"
#include "model/ProfileSensor.h"

// The standard Modbus register spaces. Input registers carry the channel words as the sensor
// holds them, so their scaling is the channel's case configuration (with the shipped profiles:
// CO2 in ppm, temperatures in 1/100 degree C, RH in 1/100 %, outputs 0-16300 for 0-100 %):
//   IR 0 central status (the error status byte), IR 6 CO2, IR 7 space temperature, IR 8 the
//   channel-6 probe (O2 or RH), IR 9 detector temperature, IR 10 measure status,
//   IR 21-24 outputs 1-4, IR 25 output status.
// Holding registers 16-18 are the out-of-service values of CO2, temperature and the
// channel-6 probe (EEPROM oosPar_5, oosPar_4, oosPar_6 on platforms 7 and 8); the sensor's own
// Modbus server stores them, so the EEPROM lock does not apply. Other holding registers are
// plain working registers.
namespace kvsim {
namespace {

constexpr std::uint16_t kStatusReg = 0;
constexpr std::uint16_t kCo2Reg = 6;
constexpr std::uint16_t kTemp1Reg = 7;
constexpr std::uint16_t kO2Reg = 8;
constexpr std::uint16_t kTemp2Reg = 9;
constexpr std::uint16_t kMeasureStatusReg = 10;
constexpr std::uint16_t kFirstOutputReg = 21;
constexpr std::uint16_t kOutputStatusReg = 25;
constexpr std::uint16_t kFirstOosReg = 16;

// Bits of one quantity's nibble in the measure status.
constexpr std::uint16_t kFault = 2;
constexpr std::uint16_t kOverridden = 4;

}  // namespace

std::uint16_t ProfileSensor::channelWord(int chan) const {
    const Memory& ram = memories_.ram;
    if (platform_ == 5) {
        const int act = chan == layout78::kChanCo2 ? layout5::kChanCo2 : layout5::kChanTemp;
        if (chan != layout78::kChanCo2 && chan != layout78::kChanSpaceTemp) return 0;
        const auto raw =
            static_cast<int>(ram.getValue(layout5::kAct + 2 * static_cast<std::uint32_t>(act), 2));
        return static_cast<std::uint16_t>(raw - layout5::kActOffset);
    }
    return static_cast<std::uint16_t>(
        ram.getValue(layout78::kRamChan + 2 * static_cast<std::uint32_t>(chan), 2));
}

std::uint16_t ProfileSensor::measureStatus() const {
    if (!byteAccess()) return 0;
    const Memory& ram = memories_.ram;
    const auto held = [&](int chan) {
        return (ram.get(layout78::kRamGenStat + static_cast<std::uint32_t>(chan / 8)) >>
                (chan % 8)) &
               1;
    };
    const int quantities[4] = {layout78::kChanCo2, layout78::kChanSpaceTemp, layout78::kChanRh,
                               layout78::kChanDetectorTemp};
    std::uint16_t status = 0;
    for (int q = 0; q < 4; ++q)
        if (held(quantities[q])) status |= static_cast<std::uint16_t>(kOverridden << (4 * q));
    const auto raw = ram.getValue(layout78::kRamChan + 2 * layout78::kChanCo2Raw, 2);
    if (raw == 0 || raw == 0xFFFF) status |= kFault;
    const auto tempSensor =
        memories_.eeprom.get(eepromAddress(layout78::kSpaceTempSensor, memories_.eeprom.size())) &
        0x0F;
    if (tempSensor == 15) status |= static_cast<std::uint16_t>(kFault << 4);
    return status;
}

bool ProfileSensor::inputRegister(std::uint16_t reg, std::uint16_t& value) const {
    if (reg >= kRegisterCount) return false;
    switch (reg) {
        case kStatusReg:
            value = byteAccess() ? memories_.ram.get(layout78::kRamErrorStat) : 0;
            break;
        case kCo2Reg: value = channelWord(layout78::kChanCo2); break;
        case kTemp1Reg: value = channelWord(layout78::kChanSpaceTemp); break;
        case kO2Reg: value = byteAccess() ? channelWord(layout78::kChanRh) : 0; break;
        case kTemp2Reg:
            value = byteAccess()
                        ? static_cast<std::uint16_t>(channelWord(layout78::kChanDetectorTemp) * 10)
                        : 0;
            break;
        case kMeasureStatusReg: value = measureStatus(); break;
        case kOutputStatusReg: value = 0; break;
        default:
            if (reg >= kFirstOutputReg && reg < kOutputStatusReg && byteAccess())
                value = static_cast<std::uint16_t>(memories_.ram.getValue(
                    layout78::kRamRegData + 2u * (reg - kFirstOutputReg), 2));
            else
                value = 0;
    }
    return true;
}

bool ProfileSensor::oosCell(std::uint16_t reg, std::uint32_t& address) const {
    if (!byteAccess() || reg < kFirstOosReg || reg >= kFirstOosReg + 3) return false;
    const char* names[3] = {"oosPar_5", "oosPar_4", "oosPar_6"};
    const auto cell = *layout78::parameterCell(names[reg - kFirstOosReg]);
    address = eepromAddress(cell.address, memories_.eeprom.size());
    return true;
}

bool ProfileSensor::holdingRegister(std::uint16_t reg, std::uint16_t& value) const {
    if (reg >= kRegisterCount) return false;
    std::uint32_t address = 0;
    value = oosCell(reg, address)
                ? static_cast<std::uint16_t>(memories_.eeprom.getValue(address, 2))
                : holding_[reg];
    return true;
}

bool ProfileSensor::writeHoldingRegister(std::uint16_t reg, std::uint16_t value) {
    if (reg >= kRegisterCount) return false;
    std::uint32_t address = 0;
    if (oosCell(reg, address))
        memories_.eeprom.setValue(address, 2, value);
    else
        holding_[reg] = value;
    return true;
}

}  // namespace kvsim
