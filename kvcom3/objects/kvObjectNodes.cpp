#include <algorithm>

#include "kvcom3/KvError.h"
#include "kvcom3/kvObjectNode.h"

namespace kvcom3 {

namespace {

constexpr std::size_t kLongestDerivedName = 254;

std::string derivedKey(const std::string& name) {
    if (name.size() > kLongestDerivedName) {
        raisePlatformError(platform_error::Overflow, "object name too long for a key");
    }
    std::string key = "fo" + name;
    std::replace(key.begin(), key.end(), ' ', '_');
    return key;
}

}  // namespace

std::shared_ptr<kvObjectNode> kvObjectNodes::Add(const std::string& Name,
                                                 const std::string& ArrayNodeKey,
                                                 const std::string& Unit, const std::string& Format,
                                                 const std::string& Key, std::int32_t BitMask) {
    auto node = std::make_shared<kvObjectNode>();
    node->LetName(Name);
    node->LetArrayNodeKey(ArrayNodeKey);
    node->LetUnit(Unit);
    node->LetFormat(Format);
    node->LetBitMask(BitMask);
    node->LetKey(Key.empty() ? derivedKey(Name) : Key);
    addItem(node, node->Key());
    return node;
}

}  // namespace kvcom3
