#include "model/Catalogue.h"

#include <initializer_list>
#include <utility>

namespace kvcal3 {

namespace {

using Names = std::pair<const char*, const char*>;  // name, key

struct ProcedureRow {
    Names procedure;
    std::initializer_list<Names> inputs;
};

void addChannel(kvCalChannels& channels, Names channel,
                std::initializer_list<ProcedureRow> procedures) {
    auto added = channels.Add(channel.first, channel.second);
    for (const ProcedureRow& row : procedures) {
        auto procedure = added->Procedures()->Add(row.procedure.first, row.procedure.second);
        for (const Names& input : row.inputs) {
            procedure->InputVariables()->Add(input.first, input.second);
        }
    }
}

std::int32_t cell(kvcom3::ISensMem& sensor, const char* key) {
    return sensor.ArrayLevel()->GetNode(key)->Value(false);
}

void addPlatform5Channels(kvCalChannels& channels) {
    addChannel(channels, {"SpaceCO2", "ccSpaceCO2"},
               {{{"Zero cal", "cpCO2ZeroCal"}, {}},
                {{"Background cal", "cpCO2BackGround"}, {}},
                {{"Offset cal", "cpCO2Offset"},
                 {{"Old average", "cvCO2BGCalOld"},
                  {"Background concentration", "cpCO2OffsetGas"},
                  {"Preassure", "cvCO2BGCalPreassure"}}},
                {{"Span cal", "cpCO2SpanCal"},
                 {{"Old average", "cvCO2SpanCalOld"},
                  {"Span gas concentration", "cvCO2SpanCalGas"},
                  {"Preassure", "cvCO2SpanCalPreassure"}}}});
}

void addPlatformChannels(kvcom3::ISensMem& sensor, kvCalChannels& channels) {
    addChannel(channels, {"SpaceCO2", "ccSpaceCO2"},
               {{{"Zero cal", "cpCO2ZeroCal"}, {{"Old", "cvCO2ZeroCalOld"}}},
                {{"Background cal", "cpCO2BackGround"},
                 {{"Old", "cvCO2BackGroundCalOld"}, {"Pressure", "cvCO2BackGroundCalPressure"}}},
                {{"Offset cal", "cpCO2OffsetCal"},
                 {{"Old", "cvCO2OCOffsetCalOld"},
                  {"Concentration", "cvCO2OffsetCalGas"},
                  {"Pressure", "cvCO2OffsetCalPressure"},
                  {"Detector temp", "cvCO2OffsetCalDT"}}},
                {{"Span cal", "cpCO2SpanCal"},
                 {{"Old", "cvCO2SpanCalOld"},
                  {"Detector temp", "cvCO2SpanCalDT"},
                  {"Concentration", "cvCO2SpanCalGas"},
                  {"Pressure", "cvCO2SpanCalPressure"}}}});
    // 15 means no space temperature sensor is fitted.
    if (cell(sensor, "eaSpaceTemp_sensor") != 15) {
        addChannel(channels, {"SpaceTemp", "ccSpaceTemp"},
                   {{{"Offset adjust", "cpSpaceTempOffsetAdjust"},
                     {{"Correct temperature", "cvSpaceTempOffsetAdjustCorrectTemp"}}}});
    }
    std::int32_t extraProbe = cell(sensor, "eaExtra_probe");
    if (extraProbe == 31 || extraProbe == 64) {
        addChannel(channels, {"SpaceRH", "ccRHcal"},
                   {{{"Calibration", "cpRHcal"},
                     {{"File", "cvSpaceRHCalFile"},
                      {"Channel", "cvSpaceRHCalChannel"},
                      {"Zero Offset", "cvSpaceRHCalZeroOffset"},
                      {"Slope", "cvSpaceRHCalSlope"}}}});
    }
    if (extraProbe == 64) {
        addChannel(channels, {"SpaceCO", "ccSpaceCO"},
                   {{{"Heater start", "cpCOHeaterStart"},
                     {{"Operating heater resistance", "cvHeaterStartOHR"},
                      {"Resistance in wet air", "cvHeaterStartRIWA"}}},
                    {{"Heater cal", "cpCOHeaterCal"},
                     {{"Operating heater resistance", "cvHeaterCalOHR"},
                      {"Resistance in wet air", "cvHeaterCalRIWA"}}},
                    {{"AHcomp zero and span cal", "cpCOAHZeroSpanCal"},
                     {{"Spangas conc", "cvCOAHZeroSpanCalSpanGas"},
                      {"Old spangas", "cvCOAHZeroSpanCalOLDspangas"},
                      {"AH spangas", "cvCOAHZeroSpanCalAHspangas"},
                      {"Old dry", "cvCOAHZeroSpanCalOLDdry"},
                      {"AH dry", "cvCOAHZeroSpanCalAHdry"},
                      {"Old norm", "cvCOAHZeroSpanCalOldnorm"},
                      {"AH norm", "cvCOAHZeroSpanCalAHnorm"},
                      {"Old wet", "cvCOAHZeroSpanCalOldwet"},
                      {"AH wet", "cvCOAHZeroSpanCalAHwet"},
                      {"Old zero", "cvCOAHZeroSpanCalOldzero"},
                      {"AH zero", "cvCOAHZeroSpanCalAHzero"}}},
                    {{"Zero cal", "cpCOZeroCal"}, {}}});
    } else if (extraProbe == 101) {
        addChannel(channels, {"SpaceCO", "ccSpaceCO"}, {{{"Zero cal", "cpCOZeroCalFigaro"}, {}}});
    }
}

}  // namespace

void addChannelsFor(kvcom3::ISensMem& sensor, kvCalChannels& channels) {
    std::uint8_t platform = sensor.AdressLevel()->Platform();
    if (platform == 5) {
        addPlatform5Channels(channels);
    } else if (platform == 7 || platform == 8 || platform == 78 || platform == 10) {
        addPlatformChannels(sensor, channels);
    }
}

}  // namespace kvcal3
