#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "model/ProfileSensor.h"

#ifndef KVSIM_PROFILE_DIR
#error "KVSIM_PROFILE_DIR must name the folder of the shipped profiles"
#endif
#ifndef KVSIM_INSTALLED_PROFILE_DIR
#error "KVSIM_INSTALLED_PROFILE_DIR must name the installed profiles relative to the program"
#endif

namespace kvsim {
namespace {

namespace fs = std::filesystem;

// An installed kvsim finds the profiles installed with it; a kvsim in a build tree, where no such
// folder lies beside the program, reads the source tree's.
fs::path profileDir() {
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const fs::path installed = program.parent_path() / KVSIM_INSTALLED_PROFILE_DIR;
        if (fs::is_directory(installed, ec)) return installed.lexically_normal();
    }
    return KVSIM_PROFILE_DIR;
}

}  // namespace

fs::path profileFile(const std::string& nameOrPath) {
    if (nameOrPath.empty()) throw std::runtime_error("no profile named");
    const fs::path given(nameOrPath);
    if (given.has_parent_path() || given.extension() == ".json") return given;
    return profileDir() / (nameOrPath + ".json");
}

std::unique_ptr<Sensor> Sensor::fromProfile(const std::string& nameOrPath) {
    const fs::path file = profileFile(nameOrPath);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        std::string known;
        for (const auto& name : profileNames()) known += (known.empty() ? "" : ", ") + name;
        throw std::runtime_error("no profile \"" + nameOrPath + "\" (" + file.string() +
                                 "); shipped profiles: " + known);
    }
    return std::make_unique<ProfileSensor>(loadProfile(file));
}

std::vector<std::string> Sensor::profileNames() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(profileDir(), ec))
        if (entry.path().extension() == ".json") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace kvsim
