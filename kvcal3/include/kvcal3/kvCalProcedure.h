#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "kvcal3/kvCalProcInput.h"

namespace kvcal3 {

// One calibration procedure of a channel. Its Key selects the algorithm Run carries out.
//
// The methods talk to the sensor last given to ISensCalibration::SetSensor. Failures are raised
// as kvcom3::KvError and reach the caller with their number and description unchanged; nothing
// already written to the sensor is rolled back.
class kvCalProcedure : public kvcom3::VariantObject {
  public:
    kvCalProcedure();
    ~kvCalProcedure() override;

    std::string Name;
    std::string Key;
    std::shared_ptr<kvCalProcInputs> mCalProcInputs;

    // The inputs, created empty on first use.
    std::shared_ptr<kvCalProcInputs> InputVariables();

    // Recomputes the RH table from the probe's zero offset (V) and slope (mV per %RH) and writes
    // it; both inputs hold the not-set marker again afterwards, also after a failure.
    kvcom3::Variant SpaceRH_Cal();
    // A raw 16-bit word made signed (bit 15 set: minus 65536); Overflow (6) when the result does
    // not fit a signed 16-bit integer.
    std::int16_t lngToSint(std::int32_t lngValue);
    // A signed 16-bit value as the raw word 0 ... 65535.
    std::int32_t SintToLng(std::int16_t intValue);
    // Display text of channel Ch to its raw word (0 ... 65535).
    float ConvFromUser(const std::string& Txt, std::uint8_t Ch);
    // The unit text of channel Ch from its configuration byte.
    std::string GetChanUnit(std::uint8_t Ch);
    // Lets the user watch the raw CO2 signal settle before a CO2 zero, span or background
    // calibration; returns at once for other procedures. Cancel raises 32755.
    void ShowReadings();
    // Raw word of channel Ch to display text; Value is left holding the converted number. The
    // text keeps the user's decimal separator only when Komma is true.
    std::string ConvToUser(float& Value, std::uint8_t Ch, bool Komma = false);
    // The number a user typed: digits, signs and both decimal separators count, anything else is
    // ignored ("12,5%" is 12.5, "abc" is 0).
    float getVal(const std::string& Txt);
    // Runs the algorithm the key selects; a key without one does nothing.
    kvcom3::Variant Run();

  private:
    void SpaceTempOffsetAdjust();
};

class kvCalProcedures : public kvCalItems<kvCalProcedure> {};

}  // namespace kvcal3
