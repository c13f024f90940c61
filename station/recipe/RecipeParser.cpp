#include <toml++/toml.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "kvcal3/kvCalProcedure.h"
#include "kvcom3/Ports.h"
#include "recipe/Recipe.h"

namespace station {

namespace {

constexpr int kLastPosition = 255;
constexpr int kLastBoard = 65535;
constexpr double kLongestWait = 3600;

class Parser {
  public:
    explicit Parser(std::string file) : file_(std::move(file)) {}

    Recipe parse(const toml::table& root) {
        Recipe recipe;
        recipe.file = file_;
        onlyKeys(root, "the recipe", {"name", "expect", "line", "step"});
        if (const auto* name = root.get("name")) recipe.name = text(*name, "name");
        if (const auto* expect = root.get("expect")) readExpect(*expect, recipe);
        const auto* lines = root.get("line");
        if (!lines) fail(root, "the recipe names no [[line]]");
        for (const auto& table : tables(*lines, "line")) recipe.lines.push_back(readLine(table));
        std::set<std::string> names;
        std::map<std::string, std::string> wires;
        for (std::size_t i = 0; i < recipe.lines.size(); ++i) {
            const RecipeLine& line = recipe.lines[i];
            if (!names.insert(line.name).second)
                fail(tables(*lines, "line")[i], "line name '" + line.name + "' is used twice");
            // Two workers cannot share one adapter.
            const std::string wire =
                line.device.empty() ? "port " + std::to_string(line.port) : line.device;
            const auto [at, added] = wires.emplace(wire, line.name);
            if (!added)
                fail(tables(*lines, "line")[i],
                     "line '" + line.name + "' uses " + wire + " of line '" + at->second + "'");
        }
        const auto* steps = root.get("step");
        if (!steps) fail(root, "the recipe names no [[step]]");
        for (const auto& table : tables(*steps, "step")) recipe.steps.push_back(readStep(table));
        return recipe;
    }

  private:
    [[noreturn]] void fail(const toml::node& at, const std::string& what) const {
        const auto line = at.source().begin.line;
        throw RecipeError(file_ + (line > 0 ? ":" + std::to_string(line) : "") + ": " + what);
    }

    void onlyKeys(const toml::table& table, const std::string& where,
                  std::initializer_list<const char*> known) const {
        for (const auto& [key, node] : table) {
            const bool ok = std::any_of(known.begin(), known.end(),
                                        [&](const char* k) { return key.str() == k; });
            if (ok) continue;
            std::string list;
            for (const char* k : known) list += (list.empty() ? "" : ", ") + std::string(k);
            fail(node, "unknown key '" + std::string(key.str()) + "' in " + where +
                           " (known: " + list + ")");
        }
    }

    std::vector<std::reference_wrapper<const toml::table>> tables(const toml::node& node,
                                                                  const char* name) const {
        const auto* array = node.as_array();
        if (!array || !array->is_array_of_tables() || array->empty())
            fail(node, std::string(name) + " must be written as [[" + name + "]] tables");
        std::vector<std::reference_wrapper<const toml::table>> list;
        for (const auto& element : *array) list.emplace_back(*element.as_table());
        return list;
    }

    std::string text(const toml::node& node, const std::string& key) const {
        const auto value = node.value<std::string>();
        if (!node.is_string() || !value || value->empty())
            fail(node, "'" + key + "' must be a non-empty text");
        return *value;
    }

    std::int64_t whole(const toml::node& node, const std::string& key, std::int64_t lo,
                       std::int64_t hi) const {
        if (!node.is_integer() || *node.value<std::int64_t>() < lo ||
            *node.value<std::int64_t>() > hi)
            fail(node, "'" + key + "' must be a whole number from " + std::to_string(lo) + " to " +
                           std::to_string(hi));
        return *node.value<std::int64_t>();
    }

    double real(const toml::node& node, const std::string& key) const {
        if (!node.is_number()) fail(node, "'" + key + "' must be a number");
        return *node.value<double>();
    }

    void readExpect(const toml::node& node, Recipe& recipe) const {
        const auto* table = node.as_table();
        if (!table) fail(node, "'expect' must be a table: [expect]");
        onlyKeys(*table, "[expect]", {"platform", "parts"});
        if (const auto* platform = table->get("platform"))
            recipe.platform = static_cast<int>(whole(*platform, "platform", 0, 255));
        if (const auto* parts = table->get("parts")) {
            const auto* array = parts->as_array();
            if (!array) fail(*parts, "'parts' must be a list of part numbers such as [152, 153]");
            for (const auto& part : *array)
                recipe.parts.push_back(static_cast<int>(whole(part, "parts", 0, 255)));
        }
    }

    RecipeLine readLine(const toml::table& table) const {
        onlyKeys(table, "[[line]]",
                 {"name", "port", "device", "protocol", "id", "board", "positions"});
        RecipeLine line;
        const auto* name = table.get("name");
        if (!name) fail(table, "[[line]] needs a 'name'");
        line.name = text(*name, "name");
        if (const auto* port = table.get("port"))
            line.port = static_cast<int>(whole(*port, "port", 0, kvcom3::kPortCount - 1));
        if (const auto* device = table.get("device")) line.device = text(*device, "device");
        if (const auto* protocol = table.get("protocol")) {
            line.protocol = text(*protocol, "protocol");
            if (line.protocol != "kvbus" && line.protocol != "modbus")
                fail(*protocol, "'protocol' must be \"kvbus\" or \"modbus\"");
        }
        if (const auto* id = table.get("id")) line.id = static_cast<int>(whole(*id, "id", -1, 255));
        if (const auto* board = table.get("board"))
            line.board = static_cast<int>(whole(*board, "board", 1, kLastBoard));
        const auto* positions = table.get("positions");
        if (!positions) fail(table, "[[line]] '" + line.name + "' needs 'positions'");
        line.positions = readPositions(*positions);
        return line;
    }

    // A list of positions and ranges: [1, 2, 5] or ["1-16"] or [1, "3-4"].
    std::vector<int> readPositions(const toml::node& node) const {
        const auto* array = node.as_array();
        if (!array || array->empty())
            fail(node, "'positions' must be a list such as [1, 2, 3] or [\"1-16\"]");
        std::vector<int> list;
        for (const auto& item : *array) {
            int first = 0;
            int last = 0;
            if (item.is_integer()) {
                first = last = static_cast<int>(whole(item, "positions", 1, kLastPosition));
            } else if (const auto range = item.value<std::string>(); item.is_string()) {
                if (!parseRange(*range, first, last))
                    fail(item, "'" + *range + "' is not a range of positions such as \"1-16\"");
            } else {
                fail(item, "'positions' holds whole numbers and ranges such as \"1-16\"");
            }
            for (int p = first; p <= last; ++p) {
                if (std::find(list.begin(), list.end(), p) != list.end())
                    fail(item, "position " + std::to_string(p) + " is listed twice");
                list.push_back(p);
            }
        }
        return list;
    }

    static bool parseRange(const std::string& text, int& first, int& last) {
        std::istringstream in(text);
        char dash = 0;
        if (!(in >> first >> dash >> last) || dash != '-' || !in.eof()) return false;
        return first >= 1 && first <= last && last <= kLastPosition;
    }

    // Memory cells and objects of the sensors' maps and trees, by the prefixes their keys carry.
    void requireValueKey(const toml::node& node, const std::string& key) const {
        static const char* const kPrefixes[] = {"ra", "ea", "fl", "mi", "mh", "fo", "mo"};
        std::string lower = key.substr(0, 2);
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const bool known = key.size() > 2 && std::any_of(std::begin(kPrefixes), std::end(kPrefixes),
                                                         [&](const char* p) { return lower == p; });
        if (!known)
            fail(node, "'" + key +
                           "' is not a key of a memory cell (ra, ea, fl, mi, mh...) or object "
                           "(fo, mo...)");
    }

    RecipeStep readStep(const toml::table& table) const {
        static const char* const kKinds[] = {"read", "set", "calibrate", "check", "wait", "backup"};
        const char* kind = nullptr;
        for (const char* k : kKinds) {
            if (!table.contains(k)) continue;
            if (kind)
                fail(table,
                     std::string("a [[step]] does one thing: both '") + kind + "' and '" + k + "'");
            kind = k;
        }
        if (!kind)
            fail(table,
                 "a [[step]] needs one of 'read', 'set', 'calibrate', 'check', 'wait', 'backup'");
        RecipeStep step;
        step.sourceLine = static_cast<int>(table.source().begin.line);
        const toml::node& what = *table.get(kind);
        const std::string k = kind;
        if (k == "read") {
            onlyKeys(table, "a read step", {"read"});
            step.kind = StepKind::Read;
            if (const auto* keys = what.as_array()) {
                if (keys->empty()) fail(what, "'read' names no key");
                for (const auto& key : *keys) step.keys.push_back(text(key, "read"));
            } else {
                step.keys.push_back(text(what, "read"));
            }
            for (const auto& key : step.keys) requireValueKey(what, key);
        } else if (k == "set") {
            onlyKeys(table, "a set step", {"set", "value"});
            step.kind = StepKind::Set;
            step.keys.push_back(text(what, "set"));
            requireValueKey(what, step.keys.front());
            const auto* value = table.get("value");
            if (!value) fail(table, "the set step of '" + step.keys.front() + "' needs a 'value'");
            if (value->is_integer())
                step.value = *value->value<std::int64_t>();
            else if (value->is_floating_point())
                step.value = *value->value<double>();
            else if (value->is_string())
                step.value = *value->value<std::string>();
            else
                fail(*value, "'value' must be a number or the name of an enumeration value");
        } else if (k == "calibrate") {
            onlyKeys(table, "a calibrate step", {"calibrate", "inputs"});
            step.kind = StepKind::Calibrate;
            step.procedure = text(what, "calibrate");
            if (!kvcal3::kvCalProcedure::HasAlgorithm(step.procedure))
                fail(what, "unknown calibration procedure '" + step.procedure + "'");
            if (const auto* inputs = table.get("inputs")) {
                const auto* list = inputs->as_table();
                if (!list) fail(*inputs, "'inputs' must be a table such as { cvKey = 23.0 }");
                for (const auto& [key, value] : *list)
                    step.inputs.emplace_back(std::string(key.str()),
                                             real(value, std::string(key.str())));
            }
        } else if (k == "check") {
            onlyKeys(table, "a check step", {"check", "min", "max"});
            step.kind = StepKind::Check;
            step.keys.push_back(text(what, "check"));
            requireValueKey(what, step.keys.front());
            if (const auto* min = table.get("min")) step.min = real(*min, "min");
            if (const auto* max = table.get("max")) step.max = real(*max, "max");
            if (!step.min && !step.max)
                fail(table, "the check of '" + step.keys.front() + "' needs 'min', 'max' or both");
            if (step.min && step.max && *step.min > *step.max)
                fail(table, "the check of '" + step.keys.front() + "' has 'min' above 'max'");
        } else if (k == "wait") {
            onlyKeys(table, "a wait step", {"wait"});
            step.kind = StepKind::Wait;
            step.seconds = real(what, "wait");
            if (step.seconds < 0 || step.seconds > kLongestWait)
                fail(what, "'wait' must be 0 to 3600 seconds");
        } else {
            onlyKeys(table, "a backup step", {"backup"});
            step.kind = StepKind::Backup;
            step.folder = text(what, "backup");
        }
        return step;
    }

    std::string file_;
};

}  // namespace

Recipe parseRecipe(std::string_view text, const std::string& file) {
    toml::table root;
    try {
        root = toml::parse(text, file);
    } catch (const toml::parse_error& e) {
        throw RecipeError(file + ":" + std::to_string(e.source().begin.line) + ": " +
                          std::string(e.description()));
    }
    return Parser(file).parse(root);
}

Recipe readRecipe(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw RecipeError(file + ": cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw RecipeError(file + ": cannot be read");
    return parseRecipe(text.str(), file);
}

const char* stepKindName(StepKind kind) {
    switch (kind) {
        case StepKind::Read: return "read";
        case StepKind::Set: return "set";
        case StepKind::Calibrate: return "calibrate";
        case StepKind::Check: return "check";
        case StepKind::Wait: return "wait";
        case StepKind::Backup: return "backup";
    }
    return "";
}

}  // namespace station
