#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "kvcom3/kvObjectNode.h"
#include "objects/CellReader.h"
#include "objects/ObjectEnumerations.h"

namespace kvcom3::objects {

// One object of a tree table: what kvObjectNodes.Add takes, plus how the unit is found, whether
// the object needs the link on line, its enumeration and its children. Rows are written as
// node("Name", "cell", "key").in("ms").fmt("*4") and so on.
struct Row {
    std::string name;
    std::string cell;
    std::string key;
    std::string unit;
    int unitChannel = -1;  // the unit of this measurement channel instead of `unit`
    std::string format;
    std::int32_t bitMask = 0;
    bool onLine = false;
    bool skipped = false;
    const EnumRows* enums = nullptr;
    std::vector<Row> children;

    Row in(std::string text) && {
        unit = std::move(text);
        return std::move(*this);
    }
    Row chan(int channel) && {
        unitChannel = channel;
        return std::move(*this);
    }
    Row fmt(std::string text) && {
        format = std::move(text);
        return std::move(*this);
    }
    Row mask(std::int32_t value) && {
        bitMask = value;
        return std::move(*this);
    }
    Row live() && {
        onLine = true;
        return std::move(*this);
    }
    Row named(const EnumRows& rows) && {
        enums = &rows;
        return std::move(*this);
    }
    Row with(std::vector<Row> rows) && {
        children = std::move(rows);
        return std::move(*this);
    }
    // Leaves the row out of the tree unless `condition` holds.
    Row onlyIf(bool condition) && {
        skipped = !condition;
        return std::move(*this);
    }
};

Row node(std::string name, std::string cell = {}, std::string key = {});
Row folder(std::string name, std::vector<Row> children, std::string key = {});

// Rows for index first to last, in order.
std::vector<Row> indexed(int first, int last, const std::function<Row(const std::string&)>& row);

// The facts a tree depends on at build time.
struct TreeFacts {
    bool onLine = false;
    bool modbus = false;
    std::function<std::string(std::int16_t)> channelUnit;
    CellReader cells;
};

// Adds the rows (and their children) in order; rows that need the link on line are left out
// while off line.
void addRows(kvObjectNodes& into, const std::vector<Row>& rows, const TreeFacts& facts);

// The trees per platform, built into the top collection.
void buildPlatform5Tree(kvObjectNodes& top, const TreeFacts& facts);
void buildPlatform7Tree(kvObjectNodes& top, const TreeFacts& facts);
void buildPlatform8Tree(kvObjectNodes& top, const TreeFacts& facts);

}  // namespace kvcom3::objects
