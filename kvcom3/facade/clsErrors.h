#pragma once

#include <cstdint>

namespace kvcom3 {

// Internal error codes; clsErrors turns them into the library's public numbers and texts.
enum kvErrorCodes : std::uint32_t {
    errMemTypeNotSupported = 0,
    errNoConnection = 1,
    errIllegalID = 2,
    errUnknownProduct = 3,
    errAdressNotSet = 4,
    errNoEEPROMAccess = 5,
    errCancel = 6,
    errAdressDontExist = 7,
    errNoValue = 8,
    errCannotChange = 9,
    errCannotMask = 10,
    errUnknownFormat = 11,
    errNoAck = 12,
    errNoCtr = 13,
    errChecksum = 14,
    errCommunication = 15,
    errCommandNotSupported = 16,
    errProductionNetwork = 17,
    errValueTooBig = 18,
    errObjectNotFound = 19,
    errWritingEEPROM = 20,
    errIllegalFunction = 21,
    errIllegalDataAddress = 22,
    errIllegalDataValue = 23,
    errSlaveDeviceFailure = 24,
    errUnknownEEPROMSize = 25,
    errLoggerError = 26,
    errMemtypeReadOnly = 27,
};

class KvError;

class clsErrors {
  public:
    // The public error of `code`, for a caller that throws it itself: a path that expects
    // misses (a key look-up) saves unwinding one frame.
    KvError Error(kvErrorCodes code) const;
    // Raises the public error of `code`. A code outside the table raises 5 naming the code.
    [[noreturn]] void Raise(kvErrorCodes code) const;
    [[noreturn]] void Raise(std::uint32_t code) const;
};

}  // namespace kvcom3
