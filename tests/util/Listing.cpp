#include "util/Listing.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace kvtest {

namespace {

std::string firstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream want(expected);
    std::istringstream got(actual);
    std::string a;
    std::string b;
    for (int line = 1;; ++line) {
        const bool moreWanted = static_cast<bool>(std::getline(want, a));
        const bool moreGot = static_cast<bool>(std::getline(got, b));
        if (!moreWanted && !moreGot) return "the line ends differ";
        if (!moreWanted) return "line " + std::to_string(line) + " is extra: " + b;
        if (!moreGot) return "line " + std::to_string(line) + " is missing: " + a;
        if (a != b) {
            return "line " + std::to_string(line) + "\n  expected: " + a + "\n  actual:   " + b;
        }
    }
}

}  // namespace

std::string compareListing(const std::string& relativePath, const std::string& actual) {
    const std::filesystem::path file = std::filesystem::path(KV_TEST_DATA_DIR) / relativePath;
    const char* update = std::getenv("KV_UPDATE_LISTINGS");
    if (update && *update && std::string(update) != "0") {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << actual;
        return {};
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) return file.string() + " is missing; KV_UPDATE_LISTINGS=1 writes it";
    std::ostringstream expected;
    expected << in.rdbuf();
    if (expected.str() == actual) return {};
    return file.string() + " differs at " + firstDifference(expected.str(), actual) +
           "\n(KV_UPDATE_LISTINGS=1 rewrites it)";
}

}  // namespace kvtest
