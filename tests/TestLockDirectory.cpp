// Every test program, and every program it starts, keeps its serial lock files in a temporary
// directory of its own: no test writes into /run/lock, which CI's root user could.
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

struct LockDirectory {
    LockDirectory() {
        if (std::getenv("KVCOM3_LOCK_DIR") != nullptr) return;
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kvcom3-locks-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) return;
        path = pattern;
        ::setenv("KVCOM3_LOCK_DIR", path.c_str(), 1);
    }
    ~LockDirectory() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove_all(path, ignored);
    }
    std::string path;
};

const LockDirectory lockDirectory;

}  // namespace
