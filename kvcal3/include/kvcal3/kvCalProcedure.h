#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "kvcal3/kvCalProcInput.h"

namespace kvcal3 {

// One calibration procedure of a channel. Its Key selects the algorithm Run carries out.
//
// The methods talk to the sensor last given to ISensCalibration::SetSensor. Failures are raised
// as kvcom3::KvError and reach the caller with their number and description unchanged; nothing
// already written to the sensor is rolled back. Members that read the sensor raise 91 when no
// sensor was given, 1110 "Object not found" for a cell the sensor's map lacks, and the sensor's
// errors (see kvcom3::clsAdressLevel).
class kvCalProcedure : public kvcom3::VariantObject {
  public:
    kvCalProcedure();
    ~kvCalProcedure() override;

    // The name shown to the user, the key that selects the algorithm ("cp..."), and the inputs
    // as InputVariables hands them out (null until then).
    std::string Name;
    std::string Key;
    std::shared_ptr<kvCalProcInputs> mCalProcInputs;

    // The inputs, created empty on first use. No errors.
    std::shared_ptr<kvCalProcInputs> InputVariables();

    // Recomputes the RH table from the probe's zero offset (V) and slope (mV per %RH) and writes
    // it; both inputs hold the not-set marker again afterwards, also after a failure. 1009 "RH
    // offset not set", 1010 "RH slope not set", 11 for a slope of 0, 5 for a missing input, and
    // the sensor's errors. Returns Empty.
    kvcom3::Variant SpaceRH_Cal();
    // A raw 16-bit word made signed (bit 15 set: minus 65536); Overflow (6) when the result does
    // not fit a signed 16-bit integer.
    std::int16_t lngToSint(std::int32_t lngValue);
    // A signed 16-bit value as the raw word 0 ... 65535. No errors.
    std::int32_t SintToLng(std::int16_t intValue);
    // Display text of channel Ch (read as getVal reads it, Fahrenheit converted back) to its raw
    // word (0 ... 65535); 6 when the scaled number does not fit 16 bits, and the errors of reading
    // the channel's configuration cell.
    float ConvFromUser(const std::string& Txt, std::uint8_t Ch);
    // The unit text of channel Ch from its configuration byte (channel 9: "litre/sec" or
    // "cbf/min" by channel 4's byte), empty for no unit; the errors of reading the cell.
    std::string GetChanUnit(std::uint8_t Ch);
    // Lets the user watch the raw CO2 signal settle before a CO2 zero, span or background
    // calibration; returns at once for other procedures. Cancel raises 32755 "Cancel was
    // selected"; a failed reading ends the display with the sensor's error (91 when the sensor
    // has no CO2 signal object).
    void ShowReadings();
    // Raw word of channel Ch to display text; Value is left holding the converted number. The
    // text keeps the user's decimal separator only when Komma is true. 6 when Value does not fit
    // a 16-bit word, and the errors of reading the channel's configuration cell.
    std::string ConvToUser(float& Value, std::uint8_t Ch, bool Komma = false);
    // Searches the zero factor that makes the measurement model give count Countgas1 for the raw
    // signal N1, detector temperature DT1, temperature coefficient Ts and span factor Span, by
    // successive halving from Zero (2048 when Zero is 0); the result is left in Zero. No errors.
    void CalcZero(float& N1, float& DT1, float& Ts, float& Countgas1, float& Span, float& Zero);
    // The number a user typed: digits, signs and both decimal separators count, anything else is
    // ignored ("12,5%" is 12.5, "abc" is 0). No errors.
    float getVal(const std::string& Txt);
    // CO2 concentration (ppm) to count through the sensor's CO2 table, flat segments skipped:
    // 65535 when no segment holds it. Sensor failures are raised (91 when the sensor has no CO2
    // table objects).
    float GetCO2Count(float sngUnit);
    // Count to value, and value to count, through gas table intTable ("eaTable<t>_<k>"); the
    // value is the table word made signed. GetCount leaves sngUnit holding that signed value.
    // GetUnit gives 0 beyond the table, GetCount 0 when no segment holds the value. 6 for a
    // result or unit outside 16 bits, 1110 for a table the map lacks, the sensor's errors.
    float GetUnit(std::int32_t lngCount, std::int16_t intTable);
    std::int32_t GetCount(float& sngUnit, std::int16_t intTable);
    // CO2 concentration to count for a platform-5 sensor of part btePart, through the table
    // generated from its definition file. The table is kept for the next call with the same part.
    // 65535 when no segment holds the concentration; 11 when a segment before the matching one is
    // flat, and the errors of TableGenerate05.
    float GetCO2Count05(std::uint8_t btePart, float sngUnit);
    // The absorption model coefficients of part btePart from its definition file
    // "DEF<part, five digits>.PDT" (beside the program, else in the library's definition
    // directory). 1004 "Sensor definition file not found ", 75 when it cannot be read, 62 "Input
    // past end of file" when it is too short, 6 for a coefficient beyond the single range.
    void GetSnsDef(std::uint8_t btePart, float& dA, float& dB, float& dC, float& dD, float& dE,
                   float& dTmax);
    // The concentrations at the counts 4096 x i (i = 0 ... 15) of part btePart's model, into
    // sngTable[0 ... 15]. 9 for a table of fewer than 16 elements, 5 for a model that does not
    // fall steadily to count 0, and the errors of GetSnsDef.
    void TableGenerate05(std::uint8_t btePart, std::span<float> sngTable);
    // Runs the algorithm the key selects; a key without one does nothing. Returns Empty. Raises
    // the algorithm's errors: 32755 when the user cancels a question, 1005 "Span gas not set",
    // 1011 for a CO2 gas its table does not hold or a span factor outside 1 ... 65535 (nothing
    // written), 1009 and 1010 (RH), 1004 (platform 5 without its definition file), the CO
    // procedures' 1007, 1008, 1011 ... 1014, 1016 and 1017, 5 for a missing input, 13 for an
    // input that is not a number, 6 and 11 from the arithmetic, 70 or 75 for a heater log that
    // cannot be written, and the sensor's errors.
    kvcom3::Variant Run();
    // Whether Run carries out an algorithm for this key (compared exactly, letter case
    // included), so a caller can refuse a key that would run nothing before a sensor is near.
    static bool HasAlgorithm(std::string_view key);

  private:
    using Algorithm = void (*)(kvCalProcedure&);
    // The algorithm of a key, null for a key without one.
    static Algorithm AlgorithmFor(std::string_view key);

    void SpaceTempOffsetAdjust();
    void CO2ZeroCal();
    void CO2BackgroundCal();
    void CO2OffsetCal();
    void CO2SpanCal();
    // The raw CO2 signal averaged over 9 - CO2FracCurr samples, one lamp period apart.
    std::int32_t MeasureOldAverage();
    // GetCO2Count and GetCO2Count05 with nothing where no segment holds the concentration, so
    // that no marker can pass for a count.
    std::optional<float> co2TableCount(float sngUnit);
    std::optional<float> table05Count(std::uint8_t btePart, float sngUnit);
    // The count of a calibration gas through the sensor's table (platform 5: its part's
    // generated table); 1011 when the table does not hold the concentration.
    float gasCount(float sngUnit, bool blnPlatform5);

    std::array<float, 16> table05_{};
    std::uint8_t table05Part_ = 0;
};

class kvCalProcedures : public kvCalItems<kvCalProcedure> {};

}  // namespace kvcal3
