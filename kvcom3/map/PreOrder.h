#pragma once

#include <utility>
#include <vector>

#include "kvcom3/kvArrayNode.h"

namespace kvcom3 {

// Visits the tree below `root` depth-first, each node before its children, siblings in
// insertion order, until `visit` returns true. A collection met again below itself is skipped,
// so a tree whose child collections were made to loop still ends.
template <class Visit>
bool walkPreOrder(const kvArrayNodes& root, Visit&& visit) {
    struct Frame {
        const kvArrayNodes* nodes;
        kvArrayNodes::const_iterator next;
    };
    std::vector<Frame> stack{{&root, root.begin()}};
    auto onStack = [&stack](const kvArrayNodes* nodes) {
        for (const Frame& frame : stack)
            if (frame.nodes == nodes) return true;
        return false;
    };
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.nodes->end()) {
            stack.pop_back();
            continue;
        }
        const std::shared_ptr<kvArrayNode>& node = *top.next++;
        if (visit(node)) return true;
        const kvArrayNodes* children = node->Nodes().get();
        if (children != nullptr && children->Count() > 0 && !onStack(children))
            stack.push_back(Frame{children, children->begin()});
    }
    return false;
}

}  // namespace kvcom3
