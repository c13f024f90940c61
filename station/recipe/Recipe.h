#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace station {

// One serial line of the station: a production board behind its own adapter.
struct RecipeLine {
    std::string name;
    int port = 1;
    std::string device;  // bound to the port when given
    std::string protocol = "kvbus";
    int id = -1;
    int board = 1;
    std::vector<int> positions;
};

enum class StepKind { Read, Set, Calibrate, Check, Wait, Backup };

// A value a step writes, as the recipe spells it: a whole number, a number or a name.
using RecipeValue = std::variant<std::int64_t, double, std::string>;

struct RecipeStep {
    StepKind kind = StepKind::Read;
    std::vector<std::string> keys;  // read: the keys; set, check: one key
    RecipeValue value;              // set
    std::string procedure;          // calibrate
    std::vector<std::pair<std::string, double>> inputs;
    std::optional<double> min, max;  // check
    double seconds = 0;              // wait
    std::string folder;              // backup
    int sourceLine = 0;
};

struct Recipe {
    std::string file;
    std::string name;
    std::optional<int> platform;
    std::vector<int> parts;
    std::vector<RecipeLine> lines;
    std::vector<RecipeStep> steps;
};

// A recipe the station refuses: what() is "FILE:LINE: what is wrong" (the line left out when
// the fault has no place, such as a missing file).
class RecipeError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads and checks a recipe file completely; nothing about it is left to find at a sensor but
// keys and procedure inputs that only the sensor's own map and catalogue can confirm.
Recipe readRecipe(const std::string& file);
// The same for text, `file` naming it in errors.
Recipe parseRecipe(std::string_view text, const std::string& file);

const char* stepKindName(StepKind kind);

}  // namespace station
