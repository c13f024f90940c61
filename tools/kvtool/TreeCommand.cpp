#include <algorithm>
#include <cctype>
#include <set>
#include <string>

#include "Json.h"
#include "Session.h"
#include "Values.h"
#include "kvcom3/KvError.h"
#include "kvcom3/kvObjectNode.h"

namespace kvtool {

namespace {

constexpr std::int32_t kCancel = 32755;

// The value of one object node, or the error that stopped it. Each cell is read from the sensor
// once; objects sharing it (bit fields) are served from the image that read filled.
struct NodeResult {
    bool folder = false;
    Reading reading;
    std::string error;
};

class TreeWalk {
  public:
    explicit TreeWalk(Session& s) : s_(s) {}

    void text(const kvcom3::kvObjectNodes& nodes, int depth) {
        for (const auto& node : nodes) {
            const NodeResult r = read(*node);
            s_.out << std::string(static_cast<std::size_t>(2 * depth), ' ') << node->Key() << " \""
                   << node->Name() << '"';
            if (!r.folder) s_.out << ": " << (r.error.empty() ? readingText(r.reading) : r.error);
            s_.out << '\n';
            if (node->Nodes()) text(*node->Nodes(), depth + 1);
        }
    }

    std::string json(const kvcom3::kvObjectNodes& nodes) {
        std::string list = "[";
        for (const auto& node : nodes) {
            const NodeResult r = read(*node);
            JsonObject json;
            if (r.folder)
                json.text("key", node->Key());
            else if (r.error.empty())
                addReading(json, node->Key(), r.reading);
            else
                json.text("key", node->Key()).text("error", r.error);
            json.text("name", node->Name());
            if (node->Nodes() && node->Nodes()->Count() > 0)
                json.raw("nodes", this->json(*node->Nodes()));
            list += (list.size() > 1 ? "," : "") + json.str();
        }
        return list + "]";
    }

  private:
    NodeResult read(kvcom3::kvObjectNode& node) {
        NodeResult r;
        if (node.ArrayNodeKey().empty()) {
            r.folder = true;
            return r;
        }
        std::string cell = node.ArrayNodeKey();
        std::transform(cell.begin(), cell.end(), cell.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        const bool first = readCells_.insert(cell).second;
        try {
            r.reading = Reading{node.Value(first), node.Unit()};
        } catch (const kvcom3::KvError& e) {
            // Ctrl-C ends the walk; any other failure belongs to this node alone.
            if (e.number() == kCancel) throw;
            r.error = "error " + std::to_string(e.number()) + ": " + e.description();
        }
        return r;
    }

    Session& s_;
    std::set<std::string> readCells_;
};

}  // namespace

void addTreeCommand(CLI::App& app, CommandList& commands) {
    auto* tree = app.add_subcommand(
        "tree",
        "Print the sensor's object tree with every object's value and unit, read from "
        "the sensor");
    tree->footer(
        "Each line: key \"name\": value unit. Folders have no value; an object that cannot be "
        "read shows its error line instead, and the rest of the tree is still read.\n"
        "Example: kvtool --device /tmp/kvsim tree\n"
        "Example: kvtool --json --device /tmp/kvsim tree");
    commands.add(tree, [](Session& s) {
        auto nodes = s.sensor->ObjectLevel()->Nodes();
        TreeWalk walk(s);
        if (s.json)
            s.out << JsonObject().raw("nodes", walk.json(*nodes)).str() << '\n';
        else
            walk.text(*nodes, 0);
    });
}

}  // namespace kvtool
