#include <string>

#include "kvcom3/kvEnum.h"

namespace kvcom3 {

std::shared_ptr<kvEnum> kvEnums::Add(std::int32_t lngValue, const std::string& strName) {
    auto entry = std::make_shared<kvEnum>();
    entry->LetName(strName);
    entry->LetValue(std::to_string(lngValue));
    entry->LetKey(std::to_string(lngValue) + "k");
    addItem(entry, entry->Key());
    return entry;
}

}  // namespace kvcom3
