#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "recipe/Recipe.h"

namespace station {
namespace {

using ::testing::HasSubstr;

constexpr const char* kLine = "[[line]]\nname = \"A\"\nport = 1\nboard = 1\npositions = [1]\n";
constexpr const char* kRead = "[[step]]\nread = \"foChannelValue4\"\n";

struct Refusal {
    const char* what;
    std::string text;
    // The start of what() up to the message, and a part of the message.
    const char* place;
    const char* message;
};

const Refusal kRefusals[] = {
    {"bad TOML", std::string(kLine) + "positions = ", "r.toml:6:", ""},
    {"unknown top-level key", std::string("colour = 1\n") + kLine + kRead,
     "r.toml:1: ", "unknown key 'colour' in the recipe"},
    {"unknown line key", std::string(kLine) + "speed = 9600\n" + kRead,
     "r.toml:6: ", "unknown key 'speed' in [[line]]"},
    {"unknown expect key", std::string("[expect]\nserial = 3\n") + kLine + kRead,
     "r.toml:2: ", "unknown key 'serial' in [expect]"},
    {"unknown step", std::string(kLine) + "[[step]]\nflash = \"x\"\n",
     "r.toml:6: ", "a [[step]] needs one of 'read', 'set', 'calibrate', 'check', 'wait', 'backup'"},
    {"two things in one step", std::string(kLine) + kRead + "wait = 1\n",
     "r.toml:6: ", "a [[step]] does one thing: both 'read' and 'wait'"},
    {"unknown key in a step", std::string(kLine) + kRead + "limit = 3\n",
     "r.toml:8: ", "unknown key 'limit' in a read step"},
    {"unknown procedure", std::string(kLine) + "[[step]]\ncalibrate = \"cpMagic\"\n",
     "r.toml:7: ", "unknown calibration procedure 'cpMagic'"},
    {"procedure key in the wrong case", std::string(kLine) + "[[step]]\ncalibrate = \"cprhcal\"\n",
     "r.toml:7: ", "unknown calibration procedure 'cprhcal'"},
    {"not a value key", std::string(kLine) + "[[step]]\nread = [\"temperature\"]\n",
     "r.toml:7: ", "'temperature' is not a key of a memory cell"},
    {"port out of range",
     "[[line]]\nname = \"A\"\nport = 24\npositions = [1]\n" + std::string(kRead),
     "r.toml:3: ", "'port' must be a whole number from 0 to 23"},
    {"falling range", "[[line]]\nname = \"A\"\npositions = [\"4-1\"]\n" + std::string(kRead),
     "r.toml:3: ", "'4-1' is not a range of positions"},
    {"position twice", "[[line]]\nname = \"A\"\npositions = [1, \"1-2\"]\n" + std::string(kRead),
     "r.toml:3: ", "position 1 is listed twice"},
    {"position 0", "[[line]]\nname = \"A\"\npositions = [0]\n" + std::string(kRead),
     "r.toml:3: ", "'positions' must be a whole number from 1 to 255"},
    {"unknown protocol", std::string(kLine) + "protocol = \"rs485\"\n" + kRead,
     "r.toml:6: ", "'protocol' must be \"kvbus\" or \"modbus\""},
    {"line without positions", "[[line]]\nname = \"A\"\n" + std::string(kRead),
     "r.toml:1: ", "[[line]] 'A' needs 'positions'"},
    {"line name twice", std::string(kLine) + kLine + kRead,
     "r.toml:6: ", "line name 'A' is used twice"},
    {"two lines on one adapter",
     std::string(kLine) + "[[line]]\nname = \"B\"\npositions = [1]\n" + kRead,
     "r.toml:6: ", "line 'B' uses port 1 of line 'A'"},
    {"no line", kRead, "r.toml:1: ", "the recipe names no [[line]]"},
    {"no step", kLine, "r.toml:1: ", "the recipe names no [[step]]"},
    {"check without limits", std::string(kLine) + "[[step]]\ncheck = \"foChannelValue4\"\n",
     "r.toml:6: ", "the check of 'foChannelValue4' needs 'min', 'max' or both"},
    {"check limits crossed",
     std::string(kLine) + "[[step]]\ncheck = \"foChannelValue4\"\nmin = 5\nmax = 1\n",
     "r.toml:6: ", "the check of 'foChannelValue4' has 'min' above 'max'"},
    {"set without value", std::string(kLine) + "[[step]]\nset = \"eaSensorID_0\"\n",
     "r.toml:6: ", "the set step of 'eaSensorID_0' needs a 'value'"},
    {"negative wait", std::string(kLine) + "[[step]]\nwait = -1\n",
     "r.toml:7: ", "'wait' must be 0 to 3600 seconds"},
    {"input that is no number",
     std::string(kLine) +
         "[[step]]\ncalibrate = \"cpRHcal\"\ninputs = { cvSpaceRHCalSlope = \"x\" }\n",
     "r.toml:8: ", "'cvSpaceRHCalSlope' must be a number"},
};

class RecipeRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(RecipeRefusal, NamesFileLineAndWhatIsWrong) {
    const Refusal& r = GetParam();
    try {
        parseRecipe(r.text, "r.toml");
        FAIL() << "accepted: " << r.text;
    } catch (const RecipeError& e) {
        EXPECT_THAT(e.what(), ::testing::StartsWith(r.place)) << r.what;
        EXPECT_THAT(e.what(), HasSubstr(r.message)) << r.what;
    }
}

INSTANTIATE_TEST_SUITE_P(Recipe, RecipeRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) {
                             std::string name = info.param.what;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

TEST(Recipe, AMissingFileIsRefusedByName) {
    EXPECT_THROW(
        {
            try {
                readRecipe("/nonexistent/station.toml");
            } catch (const RecipeError& e) {
                EXPECT_STREQ(e.what(), "/nonexistent/station.toml: cannot be read");
                throw;
            }
        },
        RecipeError);
}

// The example shipped with the package is the one the README describes.
TEST(Recipe, TheShippedExampleReadsAsDocumented) {
    const Recipe recipe = readRecipe(std::string(KV_SOURCE_DIR) + "/examples/station.toml");
    ASSERT_EQ(recipe.lines.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(recipe.lines[i].port, static_cast<int>(i) + 1);
        EXPECT_EQ(recipe.lines[i].board, 1);
        EXPECT_EQ(recipe.lines[i].positions, (std::vector<int>{1, 2, 3, 4}));
        EXPECT_TRUE(recipe.lines[i].device.empty());
    }
    ASSERT_EQ(recipe.steps.size(), 2u);
    EXPECT_EQ(recipe.steps[0].kind, StepKind::Read);
    EXPECT_EQ(recipe.steps[0].keys, std::vector<std::string>{"foChannelValue4"});
    EXPECT_EQ(recipe.steps[1].kind, StepKind::Check);
    EXPECT_EQ(recipe.steps[1].min, 0.0);
    EXPECT_EQ(recipe.steps[1].max, 50.0);
}

}  // namespace
}  // namespace station
