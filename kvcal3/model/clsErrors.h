#pragma once

#include <cstdint>
#include <string>

namespace kvcal3 {

// Indexes of the calibration library's errors.
enum CalErrorIndex : std::int32_t {
    calProcedureNotFound = 0,
    calCancel = 1,
    calUnknownChannel = 2,
    calCantCalibrateType = 3,
    calDbLocked = 4,
    calSnsDefNotFound = 5,
    calSpanGasNotSet = 6,
    calPressureNotSet = 7,
    calCODividerTooHigh = 8,
    calCODividerTooLow = 9,
    calRHOffsetNotSet = 10,
    calRHSlopeNotSet = 11,
    calInputOutOfRange = 12,
    calZeroOutOfRange = 13,
    calAHCompOutOfRange = 14,
    calTableOutOfRange = 15,
    calNoCOReaction = 16,
    calCantCalibrateHeater = 17,
    calSignalTooLow = 18,
};

class clsErrors {
  public:
    // Raises the error of `RaiseError` with the description: its text, one blank, then `msg`.
    // An index outside the table raises 5 naming the index.
    [[noreturn]] void Raise(std::int32_t RaiseError, const std::string& msg = {}) const;
};

}  // namespace kvcal3
