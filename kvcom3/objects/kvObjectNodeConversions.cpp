#include "kvcom3/kvObjectNode.h"
#include "objects/CaseScaling.h"
#include "objects/FormatWords.h"
#include "objects/GasTables.h"
#include "objects/MapCells.h"

// The sensor-specific conversions an object node offers to the format words and to the
// calibration library; all read their auxiliary cells from the memory image.
namespace kvcom3 {

using objects::CaseKind;

float kvObjectNode::ConvToUser(float Value, std::int16_t Ch) {
    return objects::caseToUser(Value, Ch, CaseKind::Channel, objects::isFahrenheit(unit_),
                               objects::imageCells());
}

float kvObjectNode::ConvToUserReg(float Value, std::int16_t Ch) {
    return objects::caseToUser(Value, Ch, CaseKind::Reg, objects::isFahrenheit(unit_),
                               objects::imageCells());
}

float kvObjectNode::ConvFromUser(float& sngValue, std::int16_t Ch) {
    return objects::caseFromUser(sngValue, Ch, CaseKind::Channel, objects::isFahrenheit(unit_),
                                 objects::imageCells());
}

float kvObjectNode::ConvFromUserReg(float& sngValue, std::int16_t Ch) {
    return objects::caseFromUser(sngValue, Ch, CaseKind::Reg, objects::isFahrenheit(unit_),
                                 objects::imageCells());
}

float kvObjectNode::GetUnit(std::int32_t lngCount, std::int16_t intTable) {
    return objects::tableUnit(lngCount, intTable, objects::imageCells());
}

std::int32_t kvObjectNode::GetCount(float& sngUnit, std::int16_t intTable) {
    return objects::tableCount(sngUnit, intTable, objects::imageCells());
}

std::int32_t kvObjectNode::GetTargetCount(float sngUnit, std::int16_t intTable,
                                          const std::string& strSpanKey) {
    return objects::targetCount(sngUnit, intTable, strSpanKey, objects::imageCells());
}

std::int32_t kvObjectNode::GetSampleCount(float sngUnit, std::int16_t intTable,
                                          const std::string& strSpanKey,
                                          const std::string& strZeroKey) {
    return objects::sampleCount(sngUnit, intTable, strSpanKey, strZeroKey, objects::imageCells());
}

Variant kvObjectNode::GetTWATime(const Variant& Value) {
    return objects::twaTimeOf(Value);
}

Variant kvObjectNode::LetTWAtime(const Variant& Value) {
    return objects::twaCodeOf(Value);
}

}  // namespace kvcom3
