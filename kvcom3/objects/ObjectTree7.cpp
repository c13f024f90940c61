// The object tree of platform-7 sensors: the shared tree of platforms 7 and 8 alone.
#include "objects/Tree78.h"

namespace kvcom3::objects {

void buildPlatform7Tree(kvObjectNodes& top, const TreeFacts& facts) {
    Tree78Variant variant;
    variant.measurements = [] { return std::vector<Row>{}; };
    variant.trailing = [] { return std::vector<Row>{}; };
    buildTree78(top, facts, variant);
}

}  // namespace kvcom3::objects
