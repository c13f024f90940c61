#include <array>

#include "kvcal3/UserInteraction.h"
#include "kvcal3/kvCalProcedure.h"
#include "kvcom3/VbTypes.h"
#include "model/clsErrors.h"
#include "procedures/InputReset.h"
#include "procedures/NumberText.h"
#include "procedures/SensorAccess.h"

namespace kvcal3 {

namespace {

constexpr std::uint8_t kSpaceTempChannel = 4;
constexpr int kTableWords = 17;
constexpr std::int32_t kTableBytes = 2 * kTableWords;

}  // namespace

void kvCalProcedure::SpaceTempOffsetAdjust() {
    auto input = InputVariables()->Item("cvSpaceTempOffsetAdjustCorrectTemp");
    InputReset reset{input};
    if (isNotSet(*input)) {
        auto answer = userInteraction()->InputBox("Please enter correct temperature", Name, "");
        if (!answer || answer->empty()) clsErrors().Raise(calCancel);
        input->Value = kvcom3::Variant(getVal(*answer));
    }
    kvcom3::ISensMem& sensor = calSensor();
    const std::int32_t start = sensor.ArrayLevel()->GetNode("eaTable0_0")->Adr();

    const std::string wanted = userNumberText(input->Value.toSingle());
    const std::int32_t T = lngToSint(kvcom3::toLong(ConvFromUser(wanted, kSpaceTempChannel)));
    const std::int32_t M = lngToSint(cellValue("raChan_4", true));
    const std::int32_t D = T - M;
    if (D == 0) return;

    auto level = sensor.AdressLevel();
    level->ReadFromSensor(start, kTableBytes, kvcom3::kvEEPROM, kvcom3::kvReadFromSensor);
    // Every shifted word is checked before any is stored: a word out of range leaves the image
    // as the sensor has it, so no later write can send a half-shifted table.
    std::array<std::int16_t, kTableWords> shifted{};
    for (int i = 0; i < kTableWords; ++i) {
        const std::int32_t word = level->Value(start + 2 * i, 2, kvcom3::kvEEPROM, false, 0,
                                               kvcom3::kvLSByteAtHighAdress);
        shifted[static_cast<std::size_t>(i)] = kvcom3::toInteger(lngToSint(word) + D);
    }
    for (int i = 0; i < kTableWords; ++i) {
        level->LetValue(start + 2 * i, 2, kvcom3::kvEEPROM, false, 0, kvcom3::kvLSByteAtHighAdress,
                        SintToLng(shifted[static_cast<std::size_t>(i)]));
    }
    level->WriteToSensor(start, kTableBytes, kvcom3::kvEEPROM, kvcom3::kvAutoWriteToSensor);
}

}  // namespace kvcal3
