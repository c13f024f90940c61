// The Modbus register spaces: 32 registers of each kind, and the coils and discrete inputs as
// single bits of the holding and input registers.
#include "map/Map78.h"

namespace kvcom3 {

namespace {

void registers(kvArrayNodes& modbus, const char* name, const char* cellBase, std::uint8_t memType) {
    kvArrayNodes& space = group(modbus, name);
    for (int i = 0; i < 32; ++i)
        space.Add(indexed(cellBase, i), 2 * i, 2, memType, kvLSByteAtHighAdress, 0);
}

void bits(kvArrayNodes& modbus, const char* name, const char* cellBase, std::uint8_t memType) {
    kvArrayNodes& space = group(modbus, name);
    for (int i = 0; i < 512; ++i) {
        space.Add(indexed(cellBase, i), 2 * (i / 16), 2, memType, kvLSByteAtHighAdress,
                  1 << (i % 16));
    }
}

}  // namespace

void addModbus(kvArrayNodes& root) {
    kvArrayNodes& modbus = group(root, "ModBus");
    registers(modbus, "HoldingRegisters", "HR_", kvMBHR);
    bits(modbus, "Coils", "CI_", kvMBHR);
    registers(modbus, "InputRegisters", "IR_", kvMBIR);
    bits(modbus, "DiscreteInputs", "DI_", kvMBIR);
}

}  // namespace kvcom3
