#pragma once

#include <cstdint>

namespace kvcom3 {

enum kvMemTypes : std::uint8_t {
    kvRAM = 0,
    kvEEPROM = 1,
    kvFLASH = 2,
    kvMBIR = 3,  // Modbus input registers
    kvMBHR = 4,  // Modbus holding registers
    kvMBCOIL = 5,
    kvMBDI = 6,  // Modbus discrete inputs
};

enum enmMemTypes : std::uint8_t {
    enmRAM = 0,
    enmEEPROM = 1,
    enmFLASH = 2,
    enmMBIR = 3,
    enmMBHR = 4,
    enmMBCOIL = 5,
    enmMBDI = 6,
};

enum kvByteOrders : std::uint8_t {
    kvLSByteAtHighAdress = 0,  // most significant byte at the lowest address
    kvLSByteAtLowAdress = 1,   // least significant byte at the lowest address
};

enum kvReadSensOptions : std::uint8_t {
    kvAutoReadFromSensor = 0,
    kvReadFromSensor = 1,
    kvAutoReadMaskedAdressesFromSensor = 2,
    kvReadMaskedAdressesFromSensor = 3,
};

enum kvWriteSensOptions : std::uint8_t {
    kvAutoWriteToSensor = 0,
    kvWriteToSensor = 1,
    kvAutoWriteMaskedAdressesToSensor = 2,
    kvWriteMaskedAdressesToSensor = 3,
};

enum kvClearAdrColOptions : std::uint8_t {
    kvClearAdrColAll = 0,
    kvClearAdrColUnMasked = 1,
};

enum kvProtokoll : std::uint8_t {
    kvKV = 0,  // KVBUS
    kvMB = 1,  // Modbus RTU
};

}  // namespace kvcom3
