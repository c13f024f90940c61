#include "kvcom3/clsObjectLevel.h"

#include <array>

#include "facade/LibraryState.h"
#include "kvcom3/clsArrayLevel.h"
#include "map/CurrentAdressLevel.h"
#include "objects/MapCells.h"
#include "objects/TreeRows.h"

namespace kvcom3 {

namespace {

constexpr std::array<const char*, 18> kCommonKeys{
    "foSpaceTempValue",  "foCO2Value",      "foCO2Zero",
    "foCO2Span",         "foCO2Tz",         "foCO2Ts",
    "foCO2Old",          "foCO2ABCTarget",  "foCO2CurrFracParam",
    "foCO2SetFracParam", "foCO2SetFracDyn", "foCO2High",
    "foCO2Low",          "foCO2DetTemp",    "foCO2Table",
    "foLampOnTime",      "foLampOffTime",   "foSpaceRHValue",
};

// Unit texts by the unit code of a measurement channel; codes beyond the table have none.
constexpr std::array<const char*, 7> kChannelUnits{
    "",
    "\xC2\xB0"
    "C",
    "\xC2\xB0"
    "F",
    "V",
    "ppm",
    "%",
    "g/kg",
};

bool keyMatches(const std::string& key, std::string_view wanted) {
    if (key.size() != wanted.size()) return false;
    for (std::size_t i = 0; i < key.size(); ++i) {
        if (collection_detail::foldCase(key[i]) != collection_detail::foldCase(wanted[i])) {
            return false;
        }
    }
    return true;
}

std::shared_ptr<kvObjectNode> findKey(const kvObjectNodes& nodes, std::string_view key) {
    for (const auto& node : nodes) {
        if (keyMatches(node->Key(), key)) return node;
        if (node->Nodes()) {
            if (auto found = findKey(*node->Nodes(), key)) return found;
        }
    }
    return nullptr;
}

}  // namespace

clsObjectLevel::clsObjectLevel() : nodes_(std::make_shared<kvObjectNodes>()) {}

clsObjectLevel::~clsObjectLevel() = default;

void clsObjectLevel::Clear() {
    nodes_.reset();
    generated_ = false;
}

std::shared_ptr<kvObjectNode> clsObjectLevel::CommonNode(kvCommonNodes NodeName,
                                                         std::int16_t Index) {
    if (NodeName < 0 || static_cast<std::size_t>(NodeName) >= kCommonKeys.size()) return nullptr;
    std::string key = kCommonKeys[static_cast<std::size_t>(NodeName)];
    if (NodeName == CO2Table) key += std::to_string(Index);
    return GetNode(key);
}

std::shared_ptr<kvObjectNodes> clsObjectLevel::Nodes() {
    Generate();
    if (!nodes_) nodes_ = std::make_shared<kvObjectNodes>();
    return nodes_;
}

void clsObjectLevel::SetNodes(std::shared_ptr<kvObjectNodes> nodes) {
    nodes_ = std::move(nodes);
}

std::string clsObjectLevel::GetChanUnit(std::int16_t Ch) {
    const std::uint8_t platform = currentAdressLevel().Platform();
    if (platform != 7 && platform != 8) return {};
    const std::int32_t code =
        objects::mapCell("eaCaseChannelUnit_" + std::to_string(Ch))->Value(false) & 0xFF;
    if (static_cast<std::size_t>(code) >= kChannelUnits.size()) return {};
    return kChannelUnits[static_cast<std::size_t>(code)];
}

std::shared_ptr<kvObjectNode> clsObjectLevel::GetNode(std::string_view strKey) {
    const auto top = Nodes();
    return findKey(*top, strKey);
}

void clsObjectLevel::Generate() {
    if (generated_) return;
    objects::currentArrayLevel().Generate();
    generated_ = true;
    if (!nodes_) nodes_ = std::make_shared<kvObjectNodes>();
    const objects::TreeFacts facts{
        .onLine = gConnection.OnLine,
        .modbus = gProtokoll == kvMB,
        .channelUnit = [this](std::int16_t ch) { return GetChanUnit(ch); },
        .cells = objects::imageCells(),
    };
    switch (currentAdressLevel().Platform()) {
        case 5: objects::buildPlatform5Tree(*nodes_, facts); break;
        case 7: objects::buildPlatform7Tree(*nodes_, facts); break;
        case 8: objects::buildPlatform8Tree(*nodes_, facts); break;
        default: break;
    }
}

}  // namespace kvcom3
