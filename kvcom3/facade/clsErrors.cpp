#include "facade/clsErrors.h"

#include <array>
#include <string>

#include "kvcom3/KvError.h"

namespace kvcom3 {

namespace {

struct ErrorRow {
    std::int32_t number;
    const char* description;
};

// Indexed by kvErrorCodes; descriptions are the ones callers have always seen, spelling included.
constexpr std::array<ErrorRow, 28> kErrorTable{{
    {1203, "Mem type is not supported"},
    {1100, "No connection established"},
    {1101, "Elegal ID number"},
    {1205, "Unknown Product"},
    {1102, "Adress is not set"},
    {1103, "Cant access EEPROM on this sensor"},
    {32755, "Cancel was selected"},
    {1104, "Adress dont exist"},
    {1105, "No value"},
    {1106, "This parameter can not be changed"},
    {1107, "This parameter can not be masked"},
    {1204, "Unknown format"},
    {1200, "Communication error"},
    {1201, "Communication error"},
    {1202, "Communication error"},
    {1000, "Communication error"},
    {1108, "Command is not supported"},
    {1001, "No communication with production network"},
    {1109, "Value is to big for the AdrMask"},
    {1110, "Object not found"},
    {1206, "Error writing to EEPROM"},
    {1301, "Illegal function"},
    {1302, "Illegal data address"},
    {1303, "Illegal data value"},
    {1304, "Slave device failure"},
    {1207, "Unknown EEPROM size"},
    {1208, "Logger error"},
    {1111, "Memtype is read only"},
}};

}  // namespace

void clsErrors::Raise(kvErrorCodes code) const {
    Raise(static_cast<std::uint32_t>(code));
}

void clsErrors::Raise(std::uint32_t code) const {
    if (code >= kErrorTable.size()) {
        raisePlatformError(platform_error::InvalidCall,
                           "internal error code " + std::to_string(code) + " has no entry");
    }
    throw Error(static_cast<kvErrorCodes>(code));
}

KvError clsErrors::Error(kvErrorCodes code) const {
    const ErrorRow& row = kErrorTable[code];
    return KvError(row.number, row.description);
}

}  // namespace kvcom3
