#pragma once

#include <map>
#include <string>
#include <vector>

#include "facade/clsErrors.h"
#include "kvcom3/KvError.h"
#include "objects/CellReader.h"

// Auxiliary cells for the conversions without a memory map: a missing key fails as the map's
// lookup does, and every read is noted.
struct ObjectTestCells {
    std::map<std::string, std::int32_t> values;
    std::vector<std::string> reads;

    kvcom3::objects::CellReader reader() {
        return [this](const std::string& key) {
            reads.push_back(key);
            const auto it = values.find(key);
            if (it == values.end()) kvcom3::clsErrors().Raise(kvcom3::errObjectNotFound);
            return it->second;
        };
    }

    void table(int t, const std::vector<int>& points) {
        for (std::size_t i = 0; i < points.size(); ++i) {
            values["eaTable" + std::to_string(t) + "_" + std::to_string(i)] = points[i] & 0xFFFF;
        }
    }
};

template <class F>
std::int32_t errorNumber(F&& action) {
    try {
        action();
    } catch (const kvcom3::KvError& e) {
        return e.number();
    }
    return 0;
}
