#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
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
    // Searches the zero factor that makes the measurement model give count Countgas1 for the raw
    // signal N1, detector temperature DT1, temperature coefficient Ts and span factor Span, by
    // successive halving from Zero (2048 when Zero is 0); the result is left in Zero.
    void CalcZero(float& N1, float& DT1, float& Ts, float& Countgas1, float& Span, float& Zero);
    // The number a user typed: digits, signs and both decimal separators count, anything else is
    // ignored ("12,5%" is 12.5, "abc" is 0).
    float getVal(const std::string& Txt);
    // CO2 concentration (ppm) to count through the sensor's CO2 table: 65535 when no segment
    // holds it, 0 when a segment before the matching one is flat. Sensor failures are raised.
    float GetCO2Count(float sngUnit);
    // Count to value, and value to count, through gas table intTable ("eaTable<t>_<k>"); the
    // value is the table word made signed. GetCount leaves sngUnit holding that signed value.
    float GetUnit(std::int32_t lngCount, std::int16_t intTable);
    std::int32_t GetCount(float& sngUnit, std::int16_t intTable);
    // CO2 concentration to count for a platform-5 sensor of part btePart, through the table
    // generated from its definition file. The table is kept for the next call with the same part.
    float GetCO2Count05(std::uint8_t btePart, float sngUnit);
    // The absorption model coefficients of part btePart from its definition file.
    void GetSnsDef(std::uint8_t btePart, float& dA, float& dB, float& dC, float& dD, float& dE,
                   float& dTmax);
    // The concentrations at the counts 4096 x i (i = 0 ... 15) of part btePart's model, into
    // sngTable[0 ... 15].
    void TableGenerate05(std::uint8_t btePart, std::span<float> sngTable);
    // Runs the algorithm the key selects; a key without one does nothing.
    kvcom3::Variant Run();

  private:
    void SpaceTempOffsetAdjust();
    void CO2ZeroCal();
    void CO2BackgroundCal();
    void CO2OffsetCal();
    void CO2SpanCal();
    // The raw CO2 signal averaged over 9 - CO2FracCurr samples, one lamp period apart.
    std::int32_t MeasureOldAverage();

    std::array<float, 16> table05_{};
    std::uint8_t table05Part_ = 0;
};

class kvCalProcedures : public kvCalItems<kvCalProcedure> {};

}  // namespace kvcal3
