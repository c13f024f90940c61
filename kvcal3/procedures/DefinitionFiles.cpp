#include "procedures/DefinitionFiles.h"

#include <cstdlib>
#include <system_error>

namespace kvcal3 {

std::string snsDefFileName(std::uint8_t btePart) {
    std::string digits = std::to_string(btePart);
    return "DEF" + std::string(5 - digits.size(), '0') + digits + ".PDT";
}

std::filesystem::path programDirectory() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    return program.parent_path();
}

std::filesystem::path snsDefFallbackDirectory() {
    const char* configured = std::getenv("KVCAL3_DEF_DIR");
    if (configured && *configured) return configured;
    return KVCAL3_DEFAULT_DEF_DIR;
}

std::filesystem::path snsDefPath(std::uint8_t btePart, const std::filesystem::path& programDir,
                                 const std::filesystem::path& fallbackDir) {
    const std::string name = snsDefFileName(btePart);
    if (!programDir.empty()) {
        std::error_code error;
        const std::filesystem::path beside = programDir / name;
        if (std::filesystem::is_regular_file(beside, error)) return beside;
    }
    return fallbackDir / name;
}

}  // namespace kvcal3
