#pragma once

#include <cstdint>

namespace kvcom3 {

// The memory types of a sensor. Coils and discrete inputs have no place in the memory image:
// a transfer or image access of either raises 1203 "Mem type is not supported".
enum kvMemTypes : std::uint8_t {
    kvRAM = 0,
    kvEEPROM = 1,
    kvFLASH = 2,
    kvMBIR = 3,  // Modbus input registers
    kvMBHR = 4,  // Modbus holding registers
    kvMBCOIL = 5,
    kvMBDI = 6,  // Modbus discrete inputs
};

// The same memory types under the names ISensMem::MemSize takes.
enum enmMemTypes : std::uint8_t {
    enmRAM = 0,
    enmEEPROM = 1,
    enmFLASH = 2,
    enmMBIR = 3,
    enmMBHR = 4,
    enmMBCOIL = 5,
    enmMBDI = 6,
};

// How a value of several bytes lies in memory.
enum kvByteOrders : std::uint8_t {
    kvLSByteAtHighAdress = 0,  // most significant byte at the lowest address
    kvLSByteAtLowAdress = 1,   // least significant byte at the lowest address
};

// Which addresses of a range clsAdressLevel::ReadFromSensor reads: Auto only those the image
// has no value for, the plain option all of them; Masked restricts either to addresses whose
// Mask is non-zero.
enum kvReadSensOptions : std::uint8_t {
    kvAutoReadFromSensor = 0,
    kvReadFromSensor = 1,
    kvAutoReadMaskedAdressesFromSensor = 2,
    kvReadMaskedAdressesFromSensor = 3,
};

// Which addresses of a range clsAdressLevel::WriteToSensor writes: Auto only those whose value
// differs from what the sensor last reported, the plain option every address with a value;
// Masked restricts either to addresses whose Mask is non-zero.
enum kvWriteSensOptions : std::uint8_t {
    kvAutoWriteToSensor = 0,
    kvWriteToSensor = 1,
    kvAutoWriteMaskedAdressesToSensor = 2,
    kvWriteMaskedAdressesToSensor = 3,
};

// Kept for callers that name it; no member takes it.
enum kvClearAdrColOptions : std::uint8_t {
    kvClearAdrColAll = 0,
    kvClearAdrColUnMasked = 1,
};

// The protocol of the serial line, chosen library-wide with ISensMem::LetProtokoll.
enum kvProtokoll : std::uint8_t {
    kvKV = 0,  // KVBUS
    kvMB = 1,  // Modbus RTU
};

}  // namespace kvcom3
