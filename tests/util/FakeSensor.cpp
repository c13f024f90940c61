#include "util/FakeSensor.h"

namespace kvtest {

using kvsim::Space;

FakeSensor::FakeSensor(int platform, bool byteAccess, int commandSet)
    : platform_(platform),
      byteAccess_(byteAccess),
      commandSet_(commandSet),
      ram_(1024, 0),
      eeprom_(2048, 0xFF),
      flash_(256, 0) {
    for (std::size_t i = 0; i < ram_.size(); ++i) ram_[i] = static_cast<std::uint8_t>(i * 7);
}

std::size_t FakeSensor::size(Space space) const {
    switch (space) {
        case Space::RAM: return ram_.size();
        case Space::EEPROM: return eeprom_.size();
        case Space::FLASH: return flash_.size();
    }
    return 0;
}

std::vector<std::uint8_t>& FakeSensor::memory(Space space) {
    switch (space) {
        case Space::RAM: return ram_;
        case Space::EEPROM: return eeprom_;
        case Space::FLASH: return flash_;
    }
    return ram_;
}

std::uint8_t FakeSensor::read(Space space, std::uint32_t address) const {
    if (space == Space::EEPROM) return eeprom_[address & (eeprom_.size() - 1)];
    const auto& bytes = space == Space::RAM ? ram_ : flash_;
    return address < bytes.size() ? bytes[address] : 0xFF;
}

void FakeSensor::write(Space space, std::uint32_t address, std::uint8_t value) {
    if (space == Space::EEPROM) {
        if (!locked_) eeprom_[address & (eeprom_.size() - 1)] = value;
        return;
    }
    auto& bytes = memory(space);
    if (address < bytes.size()) bytes[address] = value;
}

bool FakeSensor::lockEeprom() {
    if (!note("LockEEPROM")) return false;
    locked_ = true;
    return true;
}

bool FakeSensor::unlockEeprom() {
    if (!note("UnlockEEPROM")) return false;
    locked_ = false;
    return true;
}

bool FakeSensor::inputRegister(std::uint16_t reg, std::uint16_t& value) const {
    auto found = inputRegisters.find(reg);
    if (found == inputRegisters.end()) return false;
    value = found->second;
    return true;
}

bool FakeSensor::holdingRegister(std::uint16_t reg, std::uint16_t& value) const {
    auto found = holdingRegisters.find(reg);
    if (found == holdingRegisters.end()) return false;
    value = found->second;
    return true;
}

bool FakeSensor::writeHoldingRegister(std::uint16_t reg, std::uint16_t value) {
    auto found = holdingRegisters.find(reg);
    if (found == holdingRegisters.end()) return false;
    found->second = value;
    return true;
}

bool FakeSensor::note(const char* name) {
    if (refuseCommands) return false;
    commands.emplace_back(name);
    return true;
}

}  // namespace kvtest
