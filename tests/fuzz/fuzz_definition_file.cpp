// Sensor definition files: the fuzz input is the file of a platform-5 part, read for its
// coefficients and turned into the concentration table. Library errors are the only way out.
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "kvcal3/kvCalProcedure.h"
#include "kvcom3/KvError.h"
#include "procedures/DefinitionFiles.h"

namespace {

constexpr std::uint8_t kPart = 5;

// A private directory named as the definition file directory for the whole run.
const std::filesystem::path& definitionDirectory() {
    static const std::filesystem::path dir = [] {
        auto path =
            std::filesystem::temp_directory_path() / ("kv-fuzz-def-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        ::setenv("KVCAL3_DEF_DIR", path.c_str(), 1);
        return path;
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path file = definitionDirectory() / kvcal3::snsDefFileName(kPart);
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    kvcal3::kvCalProcedure procedure;
    float a = 0, b = 0, c = 0, d = 0, e = 0, tmax = 0;
    try {
        procedure.GetSnsDef(kPart, a, b, c, d, e, tmax);
        std::array<float, 16> table{};
        procedure.TableGenerate05(kPart, table);
    } catch (const kvcom3::KvError&) {
    }
    return 0;
}
