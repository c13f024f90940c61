#include "kvcom3/kvObjectNode.h"

#include "kvcom3/KvError.h"
#include "kvcom3/VbTypes.h"
#include "objects/CaseScaling.h"
#include "objects/FormatTokens.h"
#include "objects/FormatWords.h"
#include "objects/MapCells.h"

namespace kvcom3 {

struct kvObjectNode::Impl {
    objects::FormatTokens tokens{};
};

kvObjectNode::kvObjectNode()
    : d_(std::make_unique<Impl>()),
      nodes_(std::make_shared<kvObjectNodes>()),
      enums_(std::make_shared<kvEnums>()) {}

kvObjectNode::~kvObjectNode() = default;

void kvObjectNode::SetNodes(std::shared_ptr<kvObjectNodes> nodes) {
    nodes_ = std::move(nodes);
}

void kvObjectNode::SetEnums(std::shared_ptr<kvEnums> enums) {
    enums_ = std::move(enums);
}

void kvObjectNode::GetFormats(const std::string& strFormat) {
    d_->tokens = objects::parseFormat(strFormat);
}

namespace {

bool hasEntries(const std::shared_ptr<kvEnums>& enums) {
    return enums && enums->Count() > 0;
}

}  // namespace

Variant kvObjectNode::Value(bool blnForce) {
    const std::int32_t raw = objects::mapCell(arrayNodeKey_)->Value(blnForce);
    Variant value = objects::bitField(raw, bitMask_);
    if (!hasEntries(enums_)) {
        GetFormats(format_);
        return objects::formatToUser(d_->tokens, std::move(value),
                                     {objects::imageCells(), objects::isFahrenheit(unit_)});
    }
    const double number = value.toDouble();
    for (const auto& entry : *enums_) {
        if (val(entry->Value()) == number) return Variant(entry->Name());
    }
    return value;
}

void kvObjectNode::LetValue(bool blnForce, const Variant& value) {
    if (!hasEntries(enums_)) {
        GetFormats(format_);
        const Variant raw = objects::formatFromUser(
            d_->tokens, value, {objects::imageCells(), objects::isFahrenheit(unit_)});
        const std::int32_t cellValue = raw.toLong();
        objects::mapCell(arrayNodeKey_)->LetValue(blnForce, cellValue);
        return;
    }
    std::string names;
    for (const auto& entry : *enums_) {
        if (value == Variant(entry->Name())) {
            const std::int32_t cellValue = toLong(val(entry->Value()));
            objects::mapCell(arrayNodeKey_)->LetValue(blnForce, cellValue);
            return;
        }
        names += (names.empty() ? "" : ", ") + entry->Name();
    }
    raisePlatformError(platform_error::InvalidPropertyValue,
                       "'" + value.toString() + "' is not one of: " + names);
}

Variant kvObjectNode::Mask() {
    return objects::mapCell(arrayNodeKey_)->Mask();
}

void kvObjectNode::LetMask(const Variant& value) {
    objects::mapCell(arrayNodeKey_)->LetMask(value);
}

}  // namespace kvcom3
