#include <map>
#include <set>

#include "MapFixture.h"

using namespace kvcom3;

namespace {

// The EEPROM groups placed by base addresses read from the sensor; everything else is fixed.
const std::set<std::string> kPlaced = {"eaADS_Code", "eaMenuItems", "eaTables",      "eaRangePar",
                                       "eaUserInfo", "eaLoggPar",   "eaLoggChannels"};

class Tiling : public MapFixture {
  protected:
    struct Leaf {
        std::string key;
        std::int32_t adr;
        std::int32_t bytes;
        std::int32_t mask;
        std::uint8_t order;
        bool placed;
    };

    // The EEPROM cells without children, each marked whether it lies in a placed group.
    std::vector<Leaf> eepromLeaves() {
        std::vector<Leaf> leaves;
        collect(*map.GetNode("eaEEPROM")->Nodes(), false, leaves);
        return leaves;
    }

    static void collect(const kvArrayNodes& nodes, bool placed, std::vector<Leaf>& leaves) {
        for (const auto& node : nodes) {
            const bool inPlaced = placed || kPlaced.count(node->Key()) > 0;
            if (node->Nodes()->Count() > 0) {
                collect(*node->Nodes(), inPlaced, leaves);
            } else if (node->NrOfBytes() > 0) {
                leaves.push_back({node->Key(), node->Adr(), node->NrOfBytes(), node->AdrMask(),
                                  node->ByteOrder(), inPlaced});
            }
        }
    }

    // Bits of each address that the fixed cells claim; a bit claimed twice is reported.
    std::map<std::int32_t, int> claim(const std::vector<Leaf>& leaves,
                                      const std::set<std::string>& skip = {}) {
        std::map<std::int32_t, int> bits;
        for (const Leaf& leaf : leaves) {
            if (leaf.placed || skip.count(leaf.key)) continue;
            for (int i = 0; i < leaf.bytes; ++i) {
                const int significance = leaf.order == 0 ? leaf.bytes - 1 - i : i;
                const int share = leaf.mask == 0 ? 255 : (leaf.mask >> (8 * significance)) & 255;
                int& owned = bits[leaf.adr + i];
                EXPECT_EQ(owned & share, 0) << leaf.key << " overlaps at " << leaf.adr + i;
                owned |= share;
            }
        }
        return bits;
    }

    // Every address of [from, to) fully claimed, and nothing claimed outside the regions.
    static void expectTiles(const std::map<std::int32_t, int>& bits,
                            std::vector<std::pair<std::int32_t, std::int32_t>> regions) {
        long inside = 0;
        for (auto [from, to] : regions) {
            for (std::int32_t a = from; a < to; ++a) {
                auto it = bits.find(a);
                EXPECT_TRUE(it != bits.end() && it->second == 255) << "gap at " << a;
                ++inside;
            }
        }
        EXPECT_EQ(static_cast<long>(bits.size()), inside) << "fixed cells outside the regions";
    }
};

TEST_F(Tiling, FixedEepromCellsOfTheFullVariantTileBothEnds) {
    use("p8-co2-temp-rh");
    auto leaves = eepromLeaves();
    expectTiles(claim(leaves), {{0, 164}, {2048 - 308, 2048}});
    for (const Leaf& leaf : leaves) {
        if (!leaf.placed) continue;
        EXPECT_TRUE(leaf.adr >= 164 && leaf.adr + leaf.bytes <= 2048 - 308)
            << leaf.key << " placed inside a fixed region";
    }
}

TEST_F(Tiling, WithoutFlashTheUpperRegionStartsAt272) {
    use("p7-pv0");
    // In this variant the start slot's fields sit beside the slot word they split.
    expectTiles(claim(eepromLeaves(), {"eaStartAlg"}), {{0, 164}, {2048 - 272, 2048}});
}

}  // namespace
