#include "objects/TreeRows.h"

namespace kvcom3::objects {

Row node(std::string name, std::string cell, std::string key) {
    Row row;
    row.name = std::move(name);
    row.cell = std::move(cell);
    row.key = std::move(key);
    return row;
}

Row folder(std::string name, std::vector<Row> children, std::string key) {
    return node(std::move(name), {}, std::move(key)).with(std::move(children));
}

std::vector<Row> indexed(int first, int last, const std::function<Row(const std::string&)>& row) {
    std::vector<Row> rows;
    for (int i = first; i <= last; ++i) rows.push_back(row(std::to_string(i)));
    return rows;
}

void addRows(kvObjectNodes& into, const std::vector<Row>& rows, const TreeFacts& facts) {
    for (const Row& row : rows) {
        if (row.skipped || (row.onLine && !facts.onLine)) continue;
        const std::string unit = row.unitChannel >= 0
                                     ? facts.channelUnit(static_cast<std::int16_t>(row.unitChannel))
                                     : row.unit;
        const auto added = into.Add(row.name, row.cell, unit, row.format, row.key, row.bitMask);
        if (row.enums) {
            for (const auto& [value, name] : *row.enums) added->Enums()->Add(value, name);
        }
        addRows(*added->Nodes(), row.children, facts);
    }
}

}  // namespace kvcom3::objects
