#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "tools/KvtoolProcess.h"

namespace kvtool_test {
namespace {

std::string manualPage() {
    const auto path = std::filesystem::path(KV_SOURCE_DIR) / "tools/kvtool/kvtool.1";
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// troff writes a dash in an option as "\-".
std::string asTroff(const std::string& text) {
    return std::regex_replace(text, std::regex("-"), "\\-");
}

TEST(KvtoolManual, NamesEveryCommandAndOptionOfTheHelp) {
    const std::string manual = manualPage();
    ASSERT_THAT(manual, ::testing::StartsWith(".TH KVTOOL 1"));
    const RunResult help = kvtool({"--help"});
    ASSERT_EQ(help.status, 0);

    const auto subcommands = help.out.substr(help.out.find("Subcommands:"));
    const std::regex command(R"(\n  ([a-z]+) )");
    int commands = 0;
    for (std::sregex_iterator it(subcommands.begin(), subcommands.end(), command), end; it != end;
         ++it, ++commands) {
        const std::string name = (*it)[1];
        // Each command has its own paragraph in COMMANDS, headed by its name in bold.
        EXPECT_TRUE(std::regex_search(manual, std::regex("\n\\.TP\n\\.BI? " + name + "[ \n]")) ||
                    std::regex_search(manual, std::regex("\n\\.TP\n\\.BR " + name + " ")))
            << name;
    }
    EXPECT_GE(commands, 12);

    const std::regex option(R"(\n  (?:-h,)?(--[a-z]+))");
    for (std::sregex_iterator it(help.out.begin(), help.out.end(), option), end; it != end; ++it) {
        const std::string name = (*it)[1];
        if (name == "--help") continue;
        EXPECT_THAT(manual, ::testing::HasSubstr(asTroff(name))) << name;
    }
}

}  // namespace
}  // namespace kvtool_test
