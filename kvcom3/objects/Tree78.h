#pragma once

#include <functional>
#include <vector>

#include "objects/TreeRows.h"

namespace kvcom3::objects {

// What sets the trees of platforms 7 and 8 apart; the rest they share.
struct Tree78Variant {
    bool platform8 = false;
    // Folders that follow "M0013_0_ABC_CO2" in "Measurements".
    std::function<std::vector<Row>()> measurements;
    // Top-level folders after "Logger".
    std::function<std::vector<Row>()> trailing;
};

// Adds the top-level folders one after the other, so that a failing sensor read leaves the
// folders before it in place.
void buildTree78(kvObjectNodes& top, const TreeFacts& facts, const Tree78Variant& variant);

}  // namespace kvcom3::objects
